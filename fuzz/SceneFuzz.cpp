// A whole scene file through the scene loader, with the meshes and textures it names taken from
// the stand-in demo: objects, lights with their flare textures, cameras, bones, envelopes, fog,
// background and foreground images.
#include "FuzzSupport.h"

#include "scene/Scene.h"
#include "scene/SceneLoader.h"
#include "shell/DemoConfig.h"
#include "shell/LoadError.h"
#include "timeline/DemoAssets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ensureGl();
    const std::string& root = fuzz::standInDemo();
    fuzz::writeFile("demo/scn/fuzz.lws", data, size);
    try {
        DemoAssets assets(DemoPaths{root, "tex", "scn", 4.0f / 3.0f});
        const auto scene = loadScene("fuzz", assets.paths, assets.meshes, assets.textures);
    } catch (const LoadError&) {
    }
    return 0;
}
