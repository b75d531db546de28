#pragma once

#include "anim/Channel.h"
#include "anim/SceneItem.h"

#include <optional>

// One "CameraMotion" block. Layers pick a camera by its 1-based position in the scene.
class Camera : public SceneItem {
public:
    // The file's zoom when it gives one; LightWave's default otherwise, so the projection
    // always has a zoom.
    static constexpr float defaultZoomFactor = 3.2f;

    std::optional<Channel> blurLength;    // "BlurLength" with "MotionBlur" 2: fades all objects
    Channel zoomFactor;                   // "ZoomFactor"
    std::optional<Channel> focalDistance; // "FocalDistance" with "DepthOfField" 1: shake amplitude
};
