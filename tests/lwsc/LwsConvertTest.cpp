#include "SceneComparison.h"

#include "lwsc/LwsConvert.h"
#include "scene/SceneLoader.h"
#include "shell/LoadError.h"
#include "support/LwsWriter.h"
#include "support/TempDir.h"

#include "../scene/SceneFixture.h"

#include <gtest/gtest.h>

#include <cmath>

using lws::Item;
using lws::Key;

namespace {

constexpr std::uint32_t root = 0x10000009;
constexpr std::uint32_t arm = 0x10000001;
constexpr std::uint32_t hand = 0x10000005;

// Keys of every shape, each with parameters that change the curve.
lws::Channel everyShape()
{
    return {Key{0.0, 0.0, 0, {0.5, -0.25, 0.3, 0, 0, 0}}, Key{2.0, 1.0, 1, {0, 0, 0, 1.5, -0.5, 0}},
            Key{1.0, 2.0, 5, {-0.3, 0.4, 0.3, -0.2, 0, 0}}, Key{4.0, 3.0, 3}, Key{-1.0, 3.25, 4}};
}

// Nulls, lights and a camera whose identifiers run against their order in the file, with
// parents named before they are declared.
lws::SceneDescription itemsScene(int version)
{
    lws::SceneDescription scene;
    scene.version = version;
    Item handItem = lws::item(Item::Kind::Null, hand, "Hand", lws::restChannels(0, 1, 0));
    handItem.parent = arm;
    Item rootItem = lws::item(Item::Kind::Null, root, "Root", lws::restChannels(1, 2, 3));
    rootItem.channels[0] = everyShape();
    rootItem.channels[3] = {Key{0.0, 0.0, 3}, Key{1.5707963, 2.0, 3}};
    Item armItem = lws::item(Item::Kind::Null, arm, "Arm", lws::restChannels(0, 0, 2));
    armItem.parent = root;
    armItem.dissolve = lws::Channel{Key{0.0, 0.0, 3}, Key{0.5, 2.0, 3}};
    Item key = lws::item(Item::Kind::Light, 0x20000003, "Key", lws::restChannels(0, 5, 0));
    key.lightType = 0;
    key.intensity = 0.8;
    key.parent = arm;
    Item spot = lws::item(Item::Kind::Light, 0x20000000, "Spot", lws::restChannels());
    spot.lightType = 2;
    spot.coneAngle = 0.4;
    spot.target = hand;
    Item camera =
        lws::item(Item::Kind::Camera, 0x30000002, "Camera", lws::restChannels(0, 0, -5, 6));
    camera.parent = root;
    camera.zoom = 2.5;
    camera.channels[2] = {Key{-5.0, 0.0, 0}, Key{-8.0, 3.0, 0}};
    scene.items = {handItem, rootItem, armItem, key, spot, camera};
    return scene;
}

struct Converted {
    SceneFiles files;
    SceneConversion conversion;
    std::unique_ptr<Scene> scene;
};

std::unique_ptr<Converted> convertAndLoad(const std::string& text)
{
    auto result = std::make_unique<Converted>();
    result->conversion = convertScene(text, "in.lws");
    result->scene = result->files.load(result->conversion.text);
    return result;
}

bool reports(const SceneConversion& conversion, const std::string& kind,
             const std::string& name = "")
{
    const ConversionReport::Entry* entry = conversion.report.find(kind);
    if (!entry)
        return false;
    return name.empty() ||
           std::find(entry->names.begin(), entry->names.end(), name) != entry->names.end();
}

} // namespace

TEST(LwsConvert, VersionThreeConvertsToWhatThePlayerLoadsFromIt)
{
    const std::string text = lws::writeScene(itemsScene(3));
    SceneFiles original;
    const auto direct = original.load(text);
    const auto converted = convertAndLoad(text);
    scenecompare::expectSameScene(*direct, *converted->scene);

    // Parents named by load order, the first declared item included.
    const Scene& scene = *converted->scene;
    EXPECT_EQ(scene.objects[0]->parent, scene.objects[2].get());
    EXPECT_EQ(scene.objects[2]->parent, scene.objects[1].get());
    EXPECT_EQ(scene.lights[0]->parent, scene.objects[2].get());
    EXPECT_EQ(scene.cameras[0]->parent, scene.objects[1].get());
    EXPECT_EQ(scene.cameras[0]->zoomFactor.value, 2.5f);
    EXPECT_EQ(scene.lights[1]->lightType, 2);
    EXPECT_EQ(scene.lights[1]->coneAngle->value, 0.4f);
}

TEST(LwsConvert, LaterVersionsLoadToTheSameItemsParentsAndKeysAsVersionThree)
{
    const auto baseline = convertAndLoad(lws::writeScene(itemsScene(3)));
    for (int version : {4, 5, 8}) {
        SCOPED_TRACE("version " + std::to_string(version));
        const auto converted = convertAndLoad(lws::writeScene(itemsScene(version)));
        scenecompare::expectSameScene(*baseline->scene, *converted->scene);
        EXPECT_EQ(converted->conversion.version, static_cast<std::uint32_t>(version));
    }
}

TEST(LwsConvert, WindowsLineEndsConvertToTheSameScene)
{
    const std::string text = lws::writeScene(itemsScene(8));
    std::string windows;
    for (char c : text)
        windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(convertScene(windows, "in.lws").text, convertScene(text, "in.lws").text);
}

TEST(LwsConvert, IdentifiersBecomeLoadOrderNumbersWhereverItemsAreNamed)
{
    const SceneConversion conversion = convertScene(lws::writeScene(itemsScene(5)), "in.lws");
    const std::string& text = conversion.text;
    // Hand (declared first) names Arm, the third object; Arm names Root, the second.
    const std::size_t handAt = text.find("AddNullObject Hand");
    const std::size_t rootAt = text.find("AddNullObject Root");
    const std::size_t armAt = text.find("AddNullObject Arm");
    ASSERT_LT(handAt, rootAt);
    ASSERT_LT(rootAt, armAt);
    EXPECT_NE(text.find("ParentItem 10000002", handAt), std::string::npos);
    EXPECT_LT(text.find("ParentItem 10000002", handAt), rootAt);
    EXPECT_LT(text.find("ParentItem 10000001", armAt), text.find("AmbientColor"));
    // The spot light's target is the first object; no identifier of the file survives.
    EXPECT_NE(text.find("TargetItem 10000000"), std::string::npos);
    for (const char* id : {"10000009", "10000005", "20000003", "30000002"})
        EXPECT_EQ(text.find(id), std::string::npos) << id;
    EXPECT_EQ(text.rfind("LWSC\n3\n", 0), 0u);
}

TEST(LwsConvert, EveryDroppedKindIsReportedByName)
{
    const SceneConversion conversion = convertScene(lws::writeScene(itemsScene(8)), "in.lws");
    EXPECT_TRUE(
        reports(conversion, "scene-wide plug-in blocks", "VolumetricIntegratorHandler Volumetric"));
    EXPECT_TRUE(reports(conversion, "scene-wide blocks", "BufferList"));
    EXPECT_TRUE(reports(conversion, "scene-wide blocks", "NoiseFilter"));
    EXPECT_TRUE(reports(conversion, "settings the player does not read", "ColorSpaceViewer"));
    EXPECT_TRUE(reports(conversion, "plug-in blocks", "MeshModifierHandler _Subdivision"));
    EXPECT_TRUE(reports(conversion, "IK and path-align lines", "IKSoftMax"));
    EXPECT_TRUE(reports(conversion, "IK and path-align lines", "SplineFit"));
    EXPECT_TRUE(reports(conversion, "pivot rotations"));
    EXPECT_TRUE(reports(conversion, "editor lines", "ChangeObject"));
    EXPECT_TRUE(reports(conversion, "channel modifiers", "ChannelHandler"));
    EXPECT_TRUE(reports(conversion, "light handler blocks", "SpotLight"));
    EXPECT_TRUE(reports(conversion, "camera handler blocks", "Perspective"));
    EXPECT_TRUE(reports(conversion, "blocks", "LightShader"));
    EXPECT_TRUE(reports(conversion, "blocks", "GraphEd_Favorites"));
    EXPECT_TRUE(reports(conversion, "depth of field (the player would shake the camera by it)",
                        "FocalDistance"));
    // What LightWave 2019 left out is written with LightWave's defaults.
    EXPECT_TRUE(reports(conversion, "written with a default", "AmbientColor 1 1 1"));
    EXPECT_TRUE(reports(conversion, "written with a default", "AmbientIntensity 0.25"));
    EXPECT_TRUE(reports(conversion, "written with a default", "MaskPosition 0 0 WIDTH HEIGHT"));
    EXPECT_TRUE(reports(conversion, "normalised light intensities divided by pi", "Key"));

    const std::string details = conversion.report.details();
    EXPECT_NE(details.find("dropped  2  scene-wide blocks: BufferList, NoiseFilter\n"),
              std::string::npos)
        << details;
    EXPECT_NE(summaryLine(conversion).find("version 8: 3 objects, 2 lights, 1 camera; dropped "),
              std::string::npos);
}

TEST(LwsConvert, TheSummaryCountsObjectsWrittenNotDeclaringLinesInPlugInBodies)
{
    std::string text = lws::writeScene(itemsScene(5));
    text.insert(text.find("ShadowOptions"),
                "Plugin DisplacementHandler 1 LW_MorphMixer\nLoadObjectLayer 1 x\nEndPlugin\n");
    const SceneConversion conversion = convertScene(text, "in.lws");
    EXPECT_NE(conversion.text.find("LW_MorphMixer\nLoadObjectLayer 1 x\nEndPlugin\n"),
              std::string::npos);
    EXPECT_EQ(conversion.objectCount, 3u);
}

TEST(LwsConvert, LightTypesComeFromHandlerNamesAndNormalisedIntensitiesFromPi)
{
    // Version 8 writes no "LightType": the handler gives it.
    const auto converted = convertAndLoad(lws::writeScene(itemsScene(8)));
    const Scene& scene = *converted->scene;
    EXPECT_EQ(scene.lights[0]->lightType, 0);
    EXPECT_EQ(scene.lights[1]->lightType, 2);
    EXPECT_NEAR(scene.lights[0]->intensity.value, 0.8f, 1e-6f);
    EXPECT_NEAR(scene.ambientIntensity->value, 0.25f, 0.0f);

    std::string dome = lws::writeScene(itemsScene(8));
    dome.replace(dome.find("LightHandler 1 DistantLight"), 27, "LightHandler 1 DomeLight");
    const auto domed = convertAndLoad(dome);
    EXPECT_EQ(domed->scene->lights[0]->lightType, 1);
    EXPECT_TRUE(reports(domed->conversion,
                        "lights of a type version 3 lacks, written as point lights", "DomeLight"));
}

TEST(LwsConvert, PivotPositionMovesTheObjectUnderANullThatTakesItsMotionAndChildren)
{
    lws::SceneDescription description = itemsScene(5);
    description.items[1].pivot = {0.5, 0.0, -2.0}; // Root
    const auto converted = convertAndLoad(lws::writeScene(description));
    const Scene& scene = *converted->scene;
    ASSERT_EQ(scene.objects.size(), 4u);
    const SceneObject& pivotNull = *scene.objects[1];
    const SceneObject& moved = *scene.objects[2];
    EXPECT_EQ(moved.parent, &pivotNull);
    EXPECT_EQ(pivotNull.parent, nullptr);
    EXPECT_EQ(evaluateMotionChannel(pivotNull.motion, MotionChannel::X, 3.0f), 4.0f);
    EXPECT_EQ(evaluateMotionChannel(moved.motion, MotionChannel::X, 3.0f), -0.5f);
    EXPECT_EQ(evaluateMotionChannel(moved.motion, MotionChannel::Z, 0.0f), 2.0f);
    // Children and the camera hang from the null, where LightWave puts the pivot.
    EXPECT_EQ(scene.objects[3]->parent, &pivotNull);
    EXPECT_EQ(scene.cameras[0]->parent, &pivotNull);
    EXPECT_TRUE(reports(converted->conversion, "pivot positions kept through a parent null"));

    // Version 3 is read as the player reads it: the pivot plays no part.
    std::string text = lws::writeScene(itemsScene(3));
    text.insert(text.find("ShadowOptions"), "PivotPosition 1 2 3\n");
    const auto old = convertAndLoad(text);
    EXPECT_EQ(old->scene->objects.size(), 3u);
    EXPECT_TRUE(reports(old->conversion, "pivot positions (version 3: the player ignores them)"));
}

TEST(LwsConvert, NamesWithBlanksBecomeOneWord)
{
    lws::SceneDescription description = itemsScene(5);
    description.items[0].name = "Quick Draw";
    description.items[3].name = "Key Light";
    const auto converted = convertAndLoad(lws::writeScene(description));
    EXPECT_EQ(converted->scene->objects.size(), 3u);
    EXPECT_EQ(converted->scene->lights[0]->name, "Key_Light");
    EXPECT_NE(converted->conversion.text.find("AddNullObject Quick_Draw\n"), std::string::npos);
}

TEST(LwsConvert, DamagedScenesNameTheFileTheLineAndWhy)
{
    const std::string good = lws::writeScene(itemsScene(5));
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    struct Case {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"LWSX\n5\n", "line 1: not a LightWave scene"},
        {"LWSC\n2\n", "line 2: scene version 2 cannot be converted (versions 3, 4, 5 and 8 can)"},
        {"LWSC\nfive\n", "line 2: the version line holds \"five\""},
        {replaced("ParentItem 10000009", "ParentItem 1000000C"),
         "ParentItem 1000000C names no item of the scene"},
        {replaced("AddNullObject 10000001 Arm", "AddNullObject 10000005 Arm"),
         "line 164: identifier 10000005 is declared a second time"},
        {replaced("ParentItem 10000009", "ParentItem 1234567890"),
         "\"ParentItem\" value \"1234567890\" is not an item identifier"},
        {replaced("NumChannels 9", "NumChannels 3"), "line 19: a motion of 3 channels"},
        {replaced("  Key 0 0 0 0 0 0 0 0 0", "  Key 0 0 7 0 0 0 0 0 0"),
         "key shape 7 is none of 0 to 5"},
        {replaced("  Key 0 0 0 0 0 0 0 0 0", "  Key 0 0 0 0 0 0 0 0"),
         "a key line holds 8 numbers"},
        {replaced("  Key 0 0 0 0 0 0 0 0 0", "  Key 0 zero 0 0 0 0 0 0 0"),
         "key number \"zero\" is not a number"},
        {replaced("{ Envelope\n  1\n", "{ Envelope\n  2\n"), "of its 2 keys"},
        {replaced("  Behaviors 1 1\n", ""), "has no \"Behaviors\" line"},
        {replaced("ObjectMotion\nNumChannels", "ObjectMotion\nNumChannel"),
         "\"NumChannels\" is expected after a motion keyword"},
        {replaced("EndPlugin", "EndPlug"), "the plug-in block has no \"EndPlugin\""},
        {good.substr(0, good.find("Channel 3")), "the file ends here"},
        {replaced("ObjectMotion\n", "Unused\n"), "the object has no motion"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.message);
        try {
            convertScene(test.text, "dir/broken.lws");
            ADD_FAILURE() << "converted";
        } catch (const LoadError& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.rfind("Cannot convert scene dir/broken.lws: line ", 0), 0u)
                << message;
            EXPECT_NE(message.find(test.message), std::string::npos) << message;
        }
    }
}

TEST(LwsConvert, EveryCutOfANewerSceneFailsCleanlyOrLoadsInThePlayer)
{
    const std::string text = lws::writeScene(itemsScene(8));
    SceneFiles files;
    std::size_t converted = 0;
    for (std::size_t length = 0; length < text.size(); length += 3) {
        std::string output;
        try {
            output = convertScene(text.substr(0, length), "cut.lws").text;
        } catch (const LoadError&) {
            continue;
        }
        ++converted;
        // Whatever the converter accepts, the player loads.
        EXPECT_NO_THROW(files.load(output)) << "cut at " << length;
    }
    EXPECT_GT(converted, 10u);
}
