#include "scene/SceneObject.h"

#include "mesh/Mesh.h"

SceneObject::SceneObject()
{
    polygonSize.value = 1.0f;
    dissolve.emplace();
}

SceneObject::~SceneObject() = default;
