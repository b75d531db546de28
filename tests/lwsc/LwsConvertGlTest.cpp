#include "SceneComparison.h"

#include "lwsc/LwsConvert.h"
#include "support/LwsWriter.h"
#include "support/OffscreenGl.h"

#include "../scene/SceneAssets.h"
#include "../scene/SceneFixture.h"

#include "support/TempDir.h"
#include "timeline/DemoAssets.h"

#include <gtest/gtest.h>

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
