#include "timeline/DemoAssets.h"

#include "material/MaterialFile.h"
#include "scene/Scene.h"
#include "scene/SceneLoader.h"

#include <utility>

DemoAssets::DemoAssets(DemoPaths demoPaths, std::optional<float> anisotropy)
    : paths(std::move(demoPaths)), textures(paths, anisotropy)
{
}

std::unique_ptr<Scene> loadSceneWithMaterials(const std::string& name, DemoAssets& assets)
{
    std::unique_ptr<Scene> scene = loadScene(name, assets.paths, assets.meshes, assets.textures);
    readMaterialFile(*scene, assets.paths, assets.textures, assets.programs);
    return scene;
}
