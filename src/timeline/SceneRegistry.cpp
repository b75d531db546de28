#include "timeline/SceneRegistry.h"

#include "scene/Scene.h"
#include "timeline/DemoAssets.h"

SceneRegistry::SceneRegistry(DemoAssets& demoAssets) : assets(demoAssets) {}

SceneRegistry::~SceneRegistry() = default;

Scene& SceneRegistry::getOrLoad(const std::string& name)
{
    for (const auto& scene : scenes)
        if (scene->name == name)
            return *scene;
    scenes.push_back(loadSceneWithMaterials(name, assets));
    return *scenes.back();
}
