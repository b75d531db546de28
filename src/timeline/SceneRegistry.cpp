#include "timeline/SceneRegistry.h"

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
    scenes.push_back(loadScene(name, meshes, textures, programs));
    return *scenes.back();
}
