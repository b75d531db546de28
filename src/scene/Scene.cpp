#include "scene/Scene.h"

Scene::Scene(std::string sceneName, float pictureAspect)
    : name(std::move(sceneName)), aspect(pictureAspect)
{
}

Scene::~Scene() = default;
