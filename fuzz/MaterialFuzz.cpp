// A scene's material file: object and screen-image blocks with blend, depth, cull, texture
// stages, programs and combiner scripts, over a scene of three objects whose meshes are named
// as the bundled demo's ("colourbox" once, "spark" twice).
#include "FuzzSupport.h"

#include "material/MaterialFile.h"
#include "mesh/Mesh.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"
#include "shell/DemoConfig.h"
#include "shell/LoadError.h"
#include "timeline/DemoAssets.h"

#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ensureGl();
    const std::string& root = fuzz::standInDemo();
    fuzz::writeFile("demo/scn/fuzz.txt", data, size);
    try {
        DemoAssets assets(DemoPaths{root, "tex", "scn", 1.0f});
        std::vector<std::unique_ptr<Mesh>> meshes;
        Scene scene("fuzz", 1.0f); // destroyed first: its passes use the registries
        for (const char* name :
             {"objects/colourbox.lwo", "objects/spark.lwo", "objects/spark.lwo"}) {
            meshes.push_back(std::make_unique<Mesh>());
            meshes.back()->name = name;
            auto object = std::make_unique<SceneObject>();
            object->mesh = meshes.back().get();
            scene.objects.push_back(std::move(object));
        }
        readMaterialFile(scene, assets.paths, assets.textures, assets.programs);
    } catch (const LoadError&) {
    }
    return 0;
}
