#include "scene/Camera.h"
#include "scene/ItemReaders.h"

#include "anim/Motion.h"
#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"

#include <array>
#include <string_view>

namespace {
constexpr std::uint32_t motionBlurWithLength = 2;
} // namespace

std::unique_ptr<Camera> readCameraBlock(MappedTextFile& file)
{
    auto camera = std::make_unique<Camera>();
    camera->zoomFactor.value = Camera::defaultZoomFactor;
    camera->motion = parseMotion(file);

    std::string_view word = file.readWordView();
    word = skipControllerLines(file, word);
    if (word == "ParentItem") {
        camera->parentRef = parseParentRef(file);
        word = file.readWordView();
    }
    if (word == "ZoomFactor")
        camera->zoomFactor = parseChannel(file);

    // Resolution, frame size, pixel aspect and mask position: twelve words, always written.
    file.skipWords(12);
    if (file.readWordView() != "MotionBlur")
        throw LoadError("Not MotionBlur");
    std::uint32_t motionBlur = 0;
    file.readUnsigned(motionBlur);
    file.skipWords(2);
    if (motionBlur == motionBlurWithLength) {
        if (file.readWordView() != "BlurLength")
            throw LoadError("Not BlurLength");
        camera->blurLength = parseChannel(file);
    }
    if (file.readWordView() == "DepthOfField") {
        std::uint32_t depthOfField = 0;
        file.readUnsigned(depthOfField);
        if (depthOfField == 1) {
            if (file.readWordView() != "FocalDistance")
                throw LoadError("Not FocalDistance");
            camera->focalDistance = parseChannel(file);
        }
    }
    return camera;
}
