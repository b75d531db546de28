#include "anim/ItemTransform.h"

#include "support/OffscreenGl.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// Column-major 4x4 in double precision: the reference the GL matrices are held against.
using Matrix = std::array<double, 16>;

Matrix identity()
{
    Matrix m{};
    m[0] = m[5] = m[10] = m[15] = 1.0;
    return m;
}

Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix r{};
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                r[column * 4 + row] += a[k * 4 + row] * b[column * 4 + k];
    return r;
}

Matrix translation(double x, double y, double z)
{
    Matrix m = identity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

Matrix scaling(double x, double y, double z)
{
    Matrix m = identity();
    m[0] = x;
    m[5] = y;
    m[10] = z;
    return m;
}

// Right-handed rotation by radians about a principal axis (0 X, 1 Y, 2 Z).
Matrix rotation(int axis, double radians)
{
    Matrix m = identity();
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const int i = (axis + 1) % 3;
    const int j = (axis + 2) % 3;
    m[i * 4 + i] = c;
    m[j * 4 + j] = c;
    m[i * 4 + j] = s;
    m[j * 4 + i] = -s;
    return m;
}

struct Pose {
    float x, y, z, heading, pitch, bank, sx = 1.0f, sy = 1.0f, sz = 1.0f;
};

Envelope constantEnvelope(float value)
{
    Envelope envelope;
    EnvelopeKey key;
    key.value = value;
    envelope.keys.push_back(key);
    envelope.linkKeys();
    return envelope;
}

Motion motionOf(const Pose& pose, int channels = 9)
{
    const float values[9] = {pose.x,    pose.y,  pose.z,  pose.heading, pose.pitch,
                             pose.bank, pose.sx, pose.sy, pose.sz};
    Motion motion;
    for (int i = 0; i < channels; ++i)
        motion.envelopes.push_back(constantEnvelope(values[i]));
    return motion;
}

// T * S * Ry(heading) * Rx(pitch) * Rz(bank).
Matrix localMatrix(const Pose& p, bool scaled = true)
{
    Matrix m = translation(p.x, p.y, p.z);
    if (scaled)
        m = multiply(m, scaling(p.sx, p.sy, p.sz));
    m = multiply(m, rotation(1, p.heading));
    m = multiply(m, rotation(0, p.pitch));
    return multiply(m, rotation(2, p.bank));
}

Matrix modelview()
{
    float values[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, values);
    Matrix m{};
    for (int i = 0; i < 16; ++i)
        m[i] = values[i];
    return m;
}

Matrix fromCache(const SceneItem& item)
{
    Matrix m{};
    for (int i = 0; i < 16; ++i)
        m[i] = item.matrixCache.matrix[i];
    return m;
}

void expectMatrixNear(const Matrix& actual, const Matrix& expected, const char* what)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-4 * (1.0 + std::fabs(expected[i])))
            << what << " element " << i;
}

void loadMatrix(const Matrix& m)
{
    float values[16];
    for (int i = 0; i < 16; ++i)
        values[i] = static_cast<float>(m[i]);
    glLoadMatrixf(values);
}

struct TestBone : SceneItem {
    void loadItemMatrix(float t) override { loadBoneMatrix(*this, t); }
    SceneItem* matrixParent() const override { return boneMatrixParent(*this); }
};

struct TestScene {
    std::vector<std::unique_ptr<SceneItem>> objects;
    std::vector<std::unique_ptr<SceneItem>> lights;
    std::vector<std::unique_ptr<SceneItem>> cameras;

    SceneItem& add(std::vector<std::unique_ptr<SceneItem>>& list, const Pose& pose,
                   SceneItem* parent = nullptr)
    {
        list.push_back(std::make_unique<SceneItem>());
        list.back()->motion = motionOf(pose);
        list.back()->parent = parent;
        return *list.back();
    }
};

class ItemTransform : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureOffscreenGl();
        resetGlState();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
};

const Pose turned{1.5f, -2.0f, 3.0f, 0.7f, -0.4f, 1.1f, 2.0f, 0.5f, 3.0f};

} // namespace

TEST_F(ItemTransform, MotionIsTranslateScaleThenHeadingPitchBank)
{
    applyMotion(motionOf(turned), 0.0f);
    expectMatrixNear(modelview(), localMatrix(turned), "nine channels");

    // The scale follows the rotations, so non-uniform scale shears the rotated axes: the item's
    // X and Y axes are no longer perpendicular.
    const Matrix m = modelview();
    const double dot = m[0] * m[4] + m[1] * m[5] + m[2] * m[6];
    EXPECT_GT(std::fabs(dot), 0.1);

    // Any count other than nine leaves the scale out.
    for (int channels : {6, 8}) {
        glLoadIdentity();
        applyMotion(motionOf(turned, channels), 0.0f);
        expectMatrixNear(modelview(), localMatrix(turned, false), "no scale");
    }
}

TEST_F(ItemTransform, InverseMotionUndoesTheUnscaledMotion)
{
    applyInverseMotion(motionOf(turned), 0.0f);
    expectMatrixNear(multiply(localMatrix(turned, false), modelview()), identity(), "inverse");
}

TEST_F(ItemTransform, ChannelsAreEvaluatedAtTheGivenTime)
{
    Motion motion = motionOf({0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f});
    EnvelopeKey later;
    later.value = 10.0f;
    later.time = 2.0f;
    later.shape = KeyShape::Linear;
    motion.envelopes[0].keys.push_back(later);
    motion.envelopes[0].linkKeys();
    applyMotion(motion, 0.5f);
    EXPECT_FLOAT_EQ(static_cast<float>(modelview()[12]), 2.5f);
}

TEST_F(ItemTransform, ParentChainIsComputedOncePerRender)
{
    const Pose rootPose{0.0f, 4.0f, 0.0f, 0.3f, 0.0f, 0.0f, 2.0f, 2.0f, 2.0f};
    const Pose middlePose{1.0f, 0.0f, -1.0f, 0.0f, 0.5f, 0.0f};
    const Pose leafPose{0.0f, 0.0f, 2.0f, 0.0f, 0.0f, -0.8f};
    TestScene scene;
    SceneItem& root = scene.add(scene.objects, rootPose);
    SceneItem& middle = scene.add(scene.objects, middlePose, &root);
    SceneItem& leaf = scene.add(scene.objects, leafPose, &middle);
    SceneItem& light = scene.add(scene.lights, leafPose, &middle);
    EXPECT_EQ(leaf.matrixCache.time, -1.0f);

    const Matrix view = multiply(scaling(1.0, 1.0, -1.0), rotation(1, 0.25));
    const Matrix expectedMiddle =
        multiply(multiply(view, localMatrix(rootPose)), localMatrix(middlePose));
    const float t = 1.25f;

    // The unparented root builds on whatever is current: the camera view.
    loadMatrix(view);
    glPushMatrix();
    leaf.loadItemMatrix(t);
    expectMatrixNear(modelview(), multiply(expectedMiddle, localMatrix(leafPose)), "leaf");
    expectMatrixNear(fromCache(leaf), modelview(), "leaf cache");
    expectMatrixNear(fromCache(middle), expectedMiddle, "middle cache");
    EXPECT_EQ(root.matrixCache.time, t);
    glPopMatrix();

    // Ancestors are not evaluated again in the same render: changed motions do not show, and
    // the light builds on the middle item's cached matrix even with a different matrix current.
    root.motion = motionOf({9.0f, 9.0f, 9.0f, 1.0f, 1.0f, 1.0f});
    middle.motion = motionOf({-9.0f, 9.0f, 9.0f, 1.0f, 1.0f, 1.0f});
    glPushMatrix();
    glLoadIdentity();
    light.loadItemMatrix(t);
    expectMatrixNear(modelview(), multiply(expectedMiddle, localMatrix(leafPose)), "light");
    glPopMatrix();

    // A cached item at exactly t loads its cache whatever is current.
    glLoadIdentity();
    leaf.loadItemMatrix(t);
    expectMatrixNear(modelview(), fromCache(leaf), "cache hit");

    // The next render at the same time recomputes every item after invalidation.
    invalidateMatrixCaches(scene);
    EXPECT_EQ(root.matrixCache.time, -1.0f);
    EXPECT_EQ(light.matrixCache.time, -1.0f);
    loadMatrix(view);
    leaf.loadItemMatrix(t);
    const Matrix recomputed =
        multiply(multiply(multiply(view, localMatrix({9.0f, 9.0f, 9.0f, 1.0f, 1.0f, 1.0f})),
                          localMatrix({-9.0f, 9.0f, 9.0f, 1.0f, 1.0f, 1.0f})),
                 localMatrix(leafPose));
    expectMatrixNear(modelview(), recomputed, "after invalidation");
}

TEST_F(ItemTransform, OnlyAnExactTimeHitsTheCache)
{
    TestScene scene;
    SceneItem& item = scene.add(scene.objects, turned);
    item.loadItemMatrix(1.0f);
    item.motion = motionOf({});
    glLoadIdentity();
    item.loadItemMatrix(1.0f + 1.0f / 1024.0f);
    expectMatrixNear(modelview(), identity(), "recomputed at a new time");
}

TEST_F(ItemTransform, CameraViewInvertsTheUnscaledChain)
{
    const Pose parentPose{2.0f, 1.0f, -3.0f, 0.6f, 0.2f, -0.3f, 4.0f, 4.0f, 0.25f};
    const Pose cameraPose{0.0f, 1.5f, -5.0f, -0.2f, 0.1f, 0.05f, 3.0f, 3.0f, 3.0f};
    TestScene scene;
    SceneItem& grandparent = scene.add(scene.objects, {0.0f, 0.0f, 7.0f, 1.0f, 0.0f, 0.0f});
    SceneItem& parent = scene.add(scene.objects, parentPose, &grandparent);
    SceneItem& camera = scene.add(scene.cameras, cameraPose, &parent);

    loadCameraView(camera, 0.0f);
    const Matrix world = multiply(multiply(localMatrix({0.0f, 0.0f, 7.0f, 1.0f, 0.0f, 0.0f}, false),
                                           localMatrix(parentPose, false)),
                                  localMatrix(cameraPose, false));
    // The scaled parent does not scale the view: view * world is the identity.
    expectMatrixNear(multiply(modelview(), world), identity(), "view");
    EXPECT_EQ(camera.matrixCache.time, -1.0f);
}

TEST_F(ItemTransform, BonesBuildOnlyOnParentBones)
{
    const Pose objectPose{5.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    const Pose upperPose{0.0f, 1.0f, 0.0f, 0.4f, 0.0f, 0.0f};
    const Pose lowerPose{0.0f, 0.0f, 2.0f, 0.0f, 0.3f, 0.0f};
    SceneItem object;
    object.motion = motionOf(objectPose);
    TestBone upper;
    upper.motion = motionOf(upperPose);
    upper.parentRef = parentRefFromId(0x10000000u);
    upper.parent = &object;
    TestBone lower;
    lower.motion = motionOf(lowerPose);
    lower.parentRef = parentRefFromId(0x40000000u);
    lower.parent = &upper;

    SceneItem& asItem = lower;
    asItem.loadItemMatrix(0.0f);
    expectMatrixNear(modelview(), multiply(localMatrix(upperPose), localMatrix(lowerPose)),
                     "bone chain");
    EXPECT_EQ(object.matrixCache.time, -1.0f);
}

TEST_F(ItemTransform, ChainsTensOfThousandsDeepDoNotExhaustTheStack)
{
    // Damaged or generated scenes can chain every item to the one before it.
    TestScene scene;
    SceneItem* previous = nullptr;
    for (int i = 0; i < 200000; ++i)
        previous = &scene.add(scene.objects, {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f}, previous);
    scene.objects.front()->motion = motionOf({1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 0.0f});
    glLoadIdentity();
    previous->loadItemMatrix(0.5f);
    const Matrix m = modelview();
    EXPECT_NEAR(m[12], 1.0, 1e-5);
    EXPECT_NEAR(m[13], 2.0, 1e-5);
    EXPECT_NEAR(m[14], 3.0, 1e-5);
    EXPECT_EQ(scene.objects[100000]->matrixCache.time, 0.5f);
}
