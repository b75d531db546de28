#pragma once

#include "anim/Motion.h"
#include "anim/SceneItem.h"

// Fixed-function matrix operations on the current GL matrix (normally the modelview matrix).
// Nothing here flips axes: the renderer puts the one glScalef(1, 1, -1) at the root.

// Multiplies the current matrix by T * S * Ry(heading) * Rx(pitch) * Rz(bank) at t; the scale
// enters only when the motion has exactly nine channels.
void applyMotion(const Motion& motion, float t);

// Multiplies the current matrix by Rz(-bank) * Rx(-pitch) * Ry(-heading) * T(-position): the
// inverse of the local transform without its scale.
void applyInverseMotion(const Motion& motion, float t);

// The shared item version: cache hit at exactly t, else the parent first, then the motion on top
// of the current matrix, stored in the cache.
inline void loadItemMatrix(SceneItem& item, float t)
{
    item.loadItemMatrix(t);
}

// The bone version for `Bone::loadItemMatrix`: only a bone parent (kind 4) is made first; a bone
// whose parent is its object builds on the current matrix.
void loadBoneMatrix(SceneItem& bone, float t);
// The item a bone builds on: its parent when that is another bone, otherwise none.
SceneItem* boneMatrixParent(const SceneItem& bone);

// Multiplies the current matrix by the inverse of the camera's world transform: the camera's own
// inverse motion, then each ancestor's going up. Scale never enters the view.
void loadCameraView(const SceneItem& camera, float t);

inline void invalidateMatrixCache(SceneItem& item)
{
    item.matrixCache.time = MatrixCache::invalidTime;
}

namespace detail {
inline SceneItem& asSceneItem(SceneItem& item)
{
    return item;
}
template <typename Pointer>
requires requires(const Pointer& pointer)
{
    *pointer;
}
SceneItem& asSceneItem(const Pointer& pointer)
{
    return *pointer;
}
template <typename List> void invalidateList(List& list)
{
    for (auto& element : list)
        invalidateMatrixCache(asSceneItem(element));
}
} // namespace detail

// Forgets every object's, light's and camera's matrix: cached matrices hold the camera view of
// the render that made them. Works on any scene whose objects, lights and cameras are ranges of
// items or of pointers to items.
template <typename SceneType> void invalidateMatrixCaches(SceneType& scene)
{
    detail::invalidateList(scene.objects);
    detail::invalidateList(scene.lights);
    detail::invalidateList(scene.cameras);
}
