#pragma once

#include "anim/Channel.h"
#include "scene/Camera.h"
#include "scene/Colour.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/SceneObject.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct Texture;

// Everything one LightWave scene file contributes: its items, fog, ambient light, backdrop,
// screen images, frame range and material passes. The scene owns its items, channels and passes;
// meshes, textures and programs belong to their registries, which the scene does not know.
class Scene {
public:
    Scene(std::string sceneName, float pictureAspect);
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
    ~Scene();

    std::string name;         // as the scene registry gave it, without directory and extension
    float aspect = 1.0f;      // picture width over height, from the demo configuration
    std::int32_t fogType = 0; // 1 switches linear fog on
    // Colours and channels the file does not give stay none; the render then uses white
    // ambient light, intensity 0 and fog distances 0.
    std::optional<Rgba> ambientColour;
    std::optional<Rgba> fogColour;
    std::optional<Rgba> backdropColour; // clear colour of layers that clear to the backdrop
    std::optional<Channel> ambientIntensity;
    std::optional<Channel> fogMinDistance;
    std::optional<Channel> fogMaxDistance;
    std::optional<Channel> fgDissolve;
    float nearClip = 1.0f;
    const Texture* bgImage = nullptr; // owned by the TextureCache
    const Texture* fgImage = nullptr;
    PassList bgPasses; // filled by the material file
    PassList fgPasses;
    float startTime = 0.0f;                            // seconds: FirstFrame / FramesPerSecond
    float endTime = 0.0f;                              // LastFrame / FramesPerSecond
    float frameDuration = 0.0f;                        // 1 / FramesPerSecond
    std::vector<std::unique_ptr<SceneObject>> objects; // file order
    std::int32_t shadowCasterCount = 0;
    std::int32_t shadowReceiverCount = 0;
    std::vector<SceneObject*> shadowCasters;
    std::vector<SceneObject*> shadowReceivers;
    std::vector<std::unique_ptr<Light>> lights; // file order
    std::int32_t activeLightCount = 0;          // lights that hold a GL light
    std::int32_t flareCount = 0;
    std::int32_t shadowLightCount = 0;
    std::vector<Light*> activeLights; // empty when none: lit lights in file order
    std::vector<Light*> flareLights;
    std::vector<Light*> shadowLights;
    std::vector<std::unique_ptr<Camera>> cameras; // file order; layers count them from 1
};
