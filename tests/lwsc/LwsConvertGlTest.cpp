#include "SceneComparison.h"

#include "lwsc/LwsConvert.h"
#include "support/LwsWriter.h"
#include "support/OffscreenGl.h"

#include "../scene/SceneAssets.h"
#include "../scene/SceneFixture.h"

#include "support/TempDir.h"
#include "timeline/DemoAssets.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

using lws::Item;
using lws::Key;

namespace {

constexpr std::uint32_t ship = 0x10000004;
constexpr std::uint32_t rig = 0x10000002;
constexpr std::uint32_t firstBone = 0x40030002;
constexpr std::uint32_t secondBone = 0x40010002;

// Mesh objects with bones and a morph target, a spot light with a lens flare and a camera: the
// parts of a scene that need meshes and pictures to load.
lws::SceneDescription meshScene(int version)
{
    lws::SceneDescription scene;
    scene.version = version;
    Item shipItem = lws::item(Item::Kind::Object, ship, "Objects/Ship.lwo", lws::restChannels());
    Item rigItem = lws::item(Item::Kind::Object, rig, "Objects/Rig.lwo", lws::restChannels(0, 1));
    rigItem.parent = ship;
    rigItem.morphTarget = ship;
    rigItem.morphAmount = 0.25;
    lws::Bone upper{firstBone, rig, lws::restChannels(0, 0.5)};
    upper.channels[3] = {Key{0.0, 0.0, 0}, Key{0.7, 1.0, 0}, Key{0.0, 2.0, 0}};
    lws::Bone lower{secondBone, firstBone, lws::restChannels(0, 0.5)};
    rigItem.bones = {upper, lower};
    Item sun = lws::item(Item::Kind::Light, 0x20000001, "Sun", lws::restChannels(0, 10));
    sun.lightType = 2;
    sun.flareIntensity = 0.6;
    sun.parent = rig;
    Item camera =
        lws::item(Item::Kind::Camera, 0x30000000, "Camera", lws::restChannels(0, 0, -5, 6));
    camera.target = rig;
    scene.items = {shipItem, rigItem, sun, camera};
    return scene;
}

class LwsConvertGl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureOffscreenGl();
        resetGlState();
        sceneassets::writeMesh(files.dir, "Objects/Ship.lwo", sceneassets::triangle());
        sceneassets::writeMesh(files.dir, "Objects/Rig.lwo", sceneassets::bonedMesh({0, 1}));
        sceneassets::writeTga(files.dir, "tex/Sun.tga");
    }

    SceneFiles files;
};

} // namespace

TEST_F(LwsConvertGl, EveryVersionLoadsToWhatThePlayerLoadsFromVersionThree)
{
    const auto direct = files.load(lws::writeScene(meshScene(3)), "direct");
    ASSERT_EQ(direct->objects[1]->bones.size(), 2u);
    EXPECT_EQ(direct->objects[1]->bones[1]->parent, direct->objects[1]->bones[0].get());
    EXPECT_EQ(direct->objects[1]->morphTarget, direct->objects[0].get());
    EXPECT_EQ(direct->flareLights.size(), 1u);
    for (int version : {3, 4, 5, 8}) {
        SCOPED_TRACE("version " + std::to_string(version));
        const SceneConversion conversion =
            convertScene(lws::writeScene(meshScene(version)), "in.lws");
        const auto converted = files.load(conversion.text, "v" + std::to_string(version));
        scenecompare::expectSameScene(*direct, *converted);
        EXPECT_EQ(converted->objects[1]->morphAmount->value, 0.25f);
        EXPECT_EQ(converted->flareLights.size(), 1u);
    }
}

TEST_F(LwsConvertGl, ASwitchedOffFlareGoesFromVersionFourOnAndStaysInVersionThree)
{
    for (int version : {3, 5}) {
        lws::SceneDescription description = meshScene(version);
        description.items[2].flareOn = false;
        const SceneConversion conversion = convertScene(lws::writeScene(description), "in.lws");
        const auto converted = files.load(conversion.text, "v" + std::to_string(version));
        // Version 3 is read as the player reads it: flare lines count whatever "LensFlare" says.
        EXPECT_EQ(converted->lights[0]->flareIntensity.has_value(), version == 3);
        EXPECT_EQ(conversion.report.find("switched-off lens flares") != nullptr, version != 3);
    }
}

TEST_F(LwsConvertGl, TheBundledDemosScenesConvertToWhatThePlayerLoadsFromThem)
{
    // A copy of the demo, whose converted scenes go to a folder beside the originals.
    TempDir demo;
    std::filesystem::copy(DP_SAMPLES_DIR, demo.path(), std::filesystem::copy_options::recursive);
    DemoAssets assets(DemoPaths{demo.path().string(), "tex", "scn", 4.0f / 3.0f});
    DemoAssets convertedAssets(DemoPaths{demo.path().string(), "tex", "converted", 4.0f / 3.0f});
    std::size_t scenes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(demo.file("scn"))) {
        if (entry.path().extension() != ".lws")
            continue;
        const std::string name = entry.path().stem().string();
        SCOPED_TRACE(name);
        const SceneConversion conversion = convertSceneFile(entry.path().string());
        demo.write("converted/" + name + ".lws", conversion.text);
        const auto original = loadScene(name, assets.paths, assets.meshes, assets.textures);
        const auto converted = loadScene(name, convertedAssets.paths, convertedAssets.meshes,
                                         convertedAssets.textures);
        scenecompare::expectSameScene(*original, *converted);
        ++scenes;
    }
    EXPECT_EQ(scenes, 4u);
}

namespace {

// Where the player puts a point of the item's geometry at time t: the item's matrix with the
// identity as the camera view.
std::array<float, 3> placed(SceneItem& item, float t, const std::array<float, 3>& point)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    item.loadItemMatrix(t);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return {m[0] * point[0] + m[4] * point[1] + m[8] * point[2] + m[12],
            m[1] * point[0] + m[5] * point[1] + m[9] * point[2] + m[13],
            m[2] * point[0] + m[6] * point[1] + m[10] * point[2] + m[14]};
}

} // namespace

TEST_F(LwsConvertGl, AnObjectTurnsAboutItsPivotAndChildrenFollowThePivot)
{
    lws::SceneDescription description = meshScene(5);
    Item& shipItem = description.items[0];
    shipItem.pivot = {1.0, 0.0, 0.0};
    shipItem.channels = lws::restChannels(0, 2, 0);
    shipItem.channels[3] = {Key{0.0, 0.0, 3}, Key{1.5707963267948966, 1.0, 3}}; // heading
    const SceneConversion conversion = convertScene(lws::writeScene(description), "in.lws");
    const auto scene = files.load(conversion.text);
    SceneObject& ship = *scene->objects[1];
    ASSERT_NE(ship.mesh, nullptr);
    for (float t : {0.0f, 0.5f, 1.0f}) {
        SCOPED_TRACE(t);
        // The pivot point stays at the item's position whatever the heading.
        const auto pivot = placed(ship, t, {1.0f, 0.0f, 0.0f});
        EXPECT_NEAR(pivot[0], 0.0f, 1e-5f);
        EXPECT_NEAR(pivot[1], 2.0f, 1e-5f);
        EXPECT_NEAR(pivot[2], 0.0f, 1e-5f);
    }
    // A quarter turn of heading swings the point one unit past the pivot from +X to -Z.
    const auto swung = placed(ship, 1.0f, {2.0f, 0.0f, 0.0f});
    EXPECT_NEAR(swung[0], 0.0f, 1e-5f);
    EXPECT_NEAR(swung[2], -1.0f, 1e-5f);
    // The rig, a child of the ship, hangs from the pivot: its origin sits one unit above it.
    const auto rigOrigin = placed(*scene->objects[2], 0.0f, {0.0f, 0.0f, 0.0f});
    EXPECT_NEAR(rigOrigin[0], 0.0f, 1e-5f);
    EXPECT_NEAR(rigOrigin[1], 3.0f, 1e-5f);
}
