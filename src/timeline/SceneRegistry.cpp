#include "timeline/SceneRegistry.h"

#include "material/MaterialFile.h"
#include "material/ProgramRegistry.h"
#include "scene/Scene.h"
#include "scene/SceneLoader.h"

SceneRegistry::SceneRegistry(TextureCache& textureCache, MeshRegistry& meshRegistry,
                             ProgramRegistry& programRegistry)
    : textures(textureCache), meshes(meshRegistry), programs(programRegistry)
{
}

SceneRegistry::~SceneRegistry() = default;

Scene& SceneRegistry::getOrLoad(const std::string& name)
{
    for (const auto& scene : scenes)
        if (scene->name == name)
            return *scene;
    const DemoPaths& paths = programs.paths;
    std::unique_ptr<Scene> scene = loadScene(name, paths, meshes, textures);
    // Material blocks name objects, so the material file follows once all of them exist.
    readMaterialFile(*scene, paths, textures, programs);
    scenes.push_back(std::move(scene));
    return *scenes.back();
}
