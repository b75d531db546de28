#include "anim/ItemTransform.h"

#include <GL/gl.h>

#include <vector>

constexpr float degreesPerRadian = 57.29577951308232f;

namespace {

float channelAt(const Motion& motion, MotionChannel channel, float t)
{
    return evaluateMotionChannel(motion, channel, t);
}

// Shared by items and bones once they have put their parent's matrix in place.
void applyAndStore(SceneItem& item, float t)
{
    applyMotion(item.motion, t);
    glGetFloatv(GL_MODELVIEW_MATRIX, item.matrixCache.matrix);
    item.matrixCache.time = t;
}

bool loadCached(const SceneItem& item, float t)
{
    if (t != item.matrixCache.time)
        return false;
    glLoadMatrixf(item.matrixCache.matrix);
    return true;
}

} // namespace

void applyMotion(const Motion& motion, float t)
{
    glTranslatef(channelAt(motion, MotionChannel::X, t), channelAt(motion, MotionChannel::Y, t),
                 channelAt(motion, MotionChannel::Z, t));
    // The scale follows the rotations (T * S * R), so a non-uniform scale shears rotated axes.
    if (motion.count() == 9)
        glScalef(channelAt(motion, MotionChannel::ScaleX, t),
                 channelAt(motion, MotionChannel::ScaleY, t),
                 channelAt(motion, MotionChannel::ScaleZ, t));
    glRotatef(channelAt(motion, MotionChannel::Heading, t) * degreesPerRadian, 0.0f, 1.0f, 0.0f);
    glRotatef(channelAt(motion, MotionChannel::Pitch, t) * degreesPerRadian, 1.0f, 0.0f, 0.0f);
    glRotatef(channelAt(motion, MotionChannel::Bank, t) * degreesPerRadian, 0.0f, 0.0f, 1.0f);
}

void applyInverseMotion(const Motion& motion, float t)
{
    glRotatef(channelAt(motion, MotionChannel::Bank, t) * degreesPerRadian, 0.0f, 0.0f, -1.0f);
    glRotatef(channelAt(motion, MotionChannel::Pitch, t) * degreesPerRadian, -1.0f, 0.0f, 0.0f);
    glRotatef(channelAt(motion, MotionChannel::Heading, t) * degreesPerRadian, 0.0f, -1.0f, 0.0f);
    glTranslatef(-channelAt(motion, MotionChannel::X, t), -channelAt(motion, MotionChannel::Y, t),
                 -channelAt(motion, MotionChannel::Z, t));
}

// Iterative, not recursive: parent chains come from files and may be tens of thousands of
// items deep. Items whose cache holds time t end the walk; the rest are computed from the top.
// The first item's parent is given, since bones choose theirs differently.
static void loadChainMatrix(SceneItem& item, SceneItem* itemParent, float t)
{
    thread_local std::vector<SceneItem*> pending;
    pending.clear();
    SceneItem* at = &item;
    SceneItem* next = itemParent;
    while (at && t != at->matrixCache.time) {
        pending.push_back(at);
        at = next;
        next = at ? at->matrixParent() : nullptr;
    }
    // A cached ancestor's matrix is loaded; a chain without one builds on the current matrix.
    if (at)
        loadCached(*at, t);
    for (auto pendingItem = pending.rbegin(); pendingItem != pending.rend(); ++pendingItem)
        applyAndStore(**pendingItem, t);
}

void SceneItem::loadItemMatrix(float t)
{
    loadChainMatrix(*this, parent, t);
}

SceneItem* boneMatrixParent(const SceneItem& bone)
{
    const bool boneParent = bone.parentRef && bone.parentRef->kind == ParentRef::bone;
    return boneParent ? bone.parent : nullptr;
}

void loadBoneMatrix(SceneItem& bone, float t)
{
    loadChainMatrix(bone, boneMatrixParent(bone), t);
}

void loadCameraView(const SceneItem& camera, float t)
{
    // The view is rebuilt at every render and kept in no cache: the caches hold forward
    // matrices only.
    for (const SceneItem* item = &camera; item; item = item->parent)
        applyInverseMotion(item->motion, t);
}
