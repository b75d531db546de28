#include "anim/ItemTransform.h"

#include <GL/gl.h>

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

void SceneItem::loadItemMatrix(float t)
{
    if (loadCached(*this, t))
        return;
    // On return the parent's eye-space matrix is current, computed or loaded from its cache.
    if (parent)
        parent->loadItemMatrix(t);
    applyAndStore(*this, t);
}

void loadBoneMatrix(SceneItem& bone, float t)
{
    if (loadCached(bone, t))
        return;
    if (bone.parent && bone.parentRef && bone.parentRef->kind == ParentRef::bone)
        bone.parent->loadItemMatrix(t);
    applyAndStore(bone, t);
}

void loadCameraView(const SceneItem& camera, float t)
{
    // The view is rebuilt at every render and kept in no cache: the caches hold forward
    // matrices only.
    for (const SceneItem* item = &camera; item; item = item->parent)
        applyInverseMotion(item->motion, t);
}
