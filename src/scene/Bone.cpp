#include "scene/Bone.h"

#include "anim/ItemTransform.h"

void Bone::loadItemMatrix(float t)
{
    loadBoneMatrix(*this, t);
}

SceneItem* Bone::matrixParent() const
{
    return boneMatrixParent(*this);
}
