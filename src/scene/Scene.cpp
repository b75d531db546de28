#include "scene/Scene.h"

Scene::Scene(std::string sceneName, const DemoPaths& demoPaths, ProgramRegistry& programRegistry,
             MeshRegistry& meshRegistry, TextureCache& textureCache)
    : name(std::move(sceneName)), paths(demoPaths), programs(programRegistry), meshes(meshRegistry),
      textures(textureCache)
{
}

Scene::~Scene() = default;
