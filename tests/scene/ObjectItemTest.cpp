#include "SceneFixture.h"
#include "SceneText.h"

#include <gtest/gtest.h>

using namespace scenetext;

namespace {

std::unique_ptr<Scene> loadObject(SceneFiles& files, const std::string& rest,
                                  const std::string& after = "")
{
    return files.load(header() + nullObject("Null", rest) + after);
}

const std::string mixerPlugin = "Plugin DisplacementHandler 1 LW_MorphMixer\n"
                                "2 1\n"
                                "Group Face 2 0 0\n"
                                "Morph Smile 0 0\n" +
                                rampEnvelope(0, 1) +
                                "End\n"
                                "Morph Frown 0 0\n" +
                                envelope(0.5f) +
                                "End\n"
                                "EndPlugin\n";

} // namespace

TEST(ObjectItem, OptionalPartsInTheirOrder)
{
    SceneFiles files;
    auto scene = loadObject(files, "ObjectDissolve 0.5\nPolygonSize " + envelopeChannel(2) +
                                       "LineThickness 2 0 0 0\nUnaffectedByFog 1\n"
                                       "UnseenByRays 1\nUnseenByCamera 1\n"
                                       "UnseenByAlphaChannel 1\nShadowOptions 2");
    const SceneObject& object = *scene->objects[0];
    EXPECT_EQ(object.flags, ObjectFlag::combineScale2 | ObjectFlag::unlit | ObjectFlag::additive |
                                ObjectFlag::noDepthTest | ObjectFlag::noBlending |
                                ObjectFlag::shadowCaster);
    ASSERT_TRUE(object.dissolve);
    EXPECT_EQ(object.dissolve->value, 0.5f);
    EXPECT_EQ(evaluateChannel(object.polygonSize, 0.0f), 2.0f);
    EXPECT_EQ(object.mesh, nullptr);
    EXPECT_EQ(scene->shadowCasterCount, 1);
    ASSERT_EQ(scene->shadowCasters.size(), 1u);
    EXPECT_EQ(scene->shadowCasters[0], &object);
    EXPECT_TRUE(scene->shadowReceivers.empty());
}

TEST(ObjectItem, APartAfterALaterOneIsNotSeen)
{
    SceneFiles files;
    // "PolygonSize" after "UnseenByRays" ends the block; the scene reader then skips its words.
    auto scene = loadObject(files, "UnseenByRays 1\nPolygonSize 2\nShadowOptions 4");
    const SceneObject& object = *scene->objects[0];
    EXPECT_EQ(object.flags, ObjectFlag::additive);
    EXPECT_EQ(object.polygonSize.value, 1.0f);
    EXPECT_EQ(scene->shadowReceiverCount, 0);

    // The word read after the last part is the block's: a scene keyword there is lost.
    auto lost = loadObject(files, "UnseenByRays 1", "BackdropColor 1 0 0\n");
    EXPECT_FALSE(lost->backdropColour);
    auto kept = loadObject(files, "ShadowOptions 7", "BackdropColor 1 0 0\n");
    EXPECT_TRUE(kept->backdropColour);
}

TEST(ObjectItem, ValueWordsOfShadowOptionsAndLineThickness)
{
    SceneFiles files;
    auto scene = files.load(header() + nullObject("Seven", "ShadowOptions 7") +
                            nullObject("Receiver", "ShadowOptions 4") +
                            nullObject("Three", "LineThickness 3 0 0 0\nShadowOptions 2.0") +
                            nullObject("One", "LineThickness 1 0 0 0\nShadowOptions 2"));
    EXPECT_EQ(scene->objects[0]->flags, 0u);
    EXPECT_EQ(scene->objects[1]->flags, ObjectFlag::shadowReceiver);
    // Only the exact words count: "2.0" is not "2".
    EXPECT_EQ(scene->objects[2]->flags, ObjectFlag::combineScale4);
    EXPECT_EQ(scene->objects[3]->flags, ObjectFlag::combineScale4 | ObjectFlag::shadowCaster);
    EXPECT_EQ(scene->shadowReceiverCount, 1);
    EXPECT_EQ(scene->shadowCasterCount, 1);
    ASSERT_EQ(scene->shadowReceivers.size(), 1u);
    EXPECT_EQ(scene->shadowReceivers[0], scene->objects[1].get());
    ASSERT_EQ(scene->shadowCasters.size(), 1u);
    EXPECT_EQ(scene->shadowCasters[0], scene->objects[3].get());
}

TEST(ObjectItem, DissolveNearOneRemovesTheObject)
{
    SceneFiles files;
    auto scene =
        files.load(header() + nullObject("Gone", "ObjectDissolve 1.0\nShadowOptions 7") +
                   nullObject("Kept", "ObjectDissolve 0.9999\nShadowOptions 7") +
                   nullObject("Faded", "ObjectDissolve " + envelopeChannel(1) + "ShadowOptions 7") +
                   nullObject("Opaque", "ShadowOptions 7"));
    EXPECT_FALSE(scene->objects[0]->dissolve);
    ASSERT_TRUE(scene->objects[1]->dissolve);
    EXPECT_EQ(scene->objects[1]->dissolve->value, 0.9999f);
    ASSERT_TRUE(scene->objects[2]->dissolve);
    EXPECT_TRUE(scene->objects[2]->dissolve->envelope);
    ASSERT_TRUE(scene->objects[3]->dissolve);
    EXPECT_EQ(scene->objects[3]->dissolve->value, 0.0f);
    EXPECT_FALSE(scene->objects[3]->dissolve->envelope);
}

TEST(ObjectItem, BlockOpeningAndPluginMessages)
{
    SceneFiles files;
    auto schematic = files.load(header() +
                                "AddNullObject N\nShowObject 6 3\n"
                                "SchematicPosition 1 2\nObjectMotion\n" +
                                motion() + "ShadowOptions 7\n");
    EXPECT_EQ(schematic->objects.size(), 1u);
    // The two optional lines come in a fixed order.
    EXPECT_EQ(files.loadError(header() +
                              "AddNullObject N\nSchematicPosition 1 2\n"
                              "ShowObject 6 3\nObjectMotion\n" +
                              motion() + "ShadowOptions 7\n"),
              "Not ObjectMotion");
    EXPECT_EQ(files.loadError(header() + "AddNullObject N\nShowObject 6 3\nMotion\n" + motion()),
              "Not ObjectMotion");
    EXPECT_EQ(files.loadError(header() +
                              nullObject("N", "Plugin CustomObjHandler 1 LW_Other\nEndPlugin")),
              "Not EndoMorphMixer");
}

TEST(ObjectItem, NullObjectsReadMorphAndBoneWordsWithoutMorphing)
{
    SceneFiles files;
    // Each part's words are consumed in their places: the dissolve after them is still seen.
    auto scene =
        files.load(header() +
                   nullObject("Morph", "MorphAmount 0.5\nMorphTarget 1\nMorphSurfaces 0\n"
                                       "ObjectDissolve 0.25\nShadowOptions 7") +
                   nullObject("Mixer", mixerPlugin + "ObjectDissolve 0.5\nShadowOptions 7") +
                   "AddNullObject Boned\nObjectMotion\n" + motion() + "BoneFalloffType 5\n" +
                   "ParentItem 10000000\nUnseenByCamera 1\nShadowOptions 7\n");
    ASSERT_EQ(scene->objects.size(), 3u);
    const SceneObject& morph = *scene->objects[0];
    EXPECT_FALSE(morph.morphAmount);
    EXPECT_EQ(morph.morphMesh, nullptr);
    EXPECT_EQ(morph.morphTargetNumber, -1);
    EXPECT_EQ(morph.morphTarget, nullptr);
    EXPECT_EQ(morph.dissolve->value, 0.25f);

    const SceneObject& mixer = *scene->objects[1];
    EXPECT_EQ(mixer.flags, 0u);
    EXPECT_EQ(mixer.morphChannelCount, 0);
    EXPECT_TRUE(mixer.morphEnvelopes.empty());
    EXPECT_EQ(mixer.dissolve->value, 0.5f);

    const SceneObject& boned = *scene->objects[2];
    EXPECT_TRUE(boned.bones.empty());
    EXPECT_EQ(boned.parent, scene->objects[0].get());
    EXPECT_EQ(boned.flags, ObjectFlag::noDepthTest);
}

TEST(ObjectItem, DamagedMixerBlocksEndAtTheEndOfTheFile)
{
    SceneFiles files;
    // A group count far beyond the data must not keep the reader going after the last word.
    EXPECT_EQ(
        files.loadError(header() + nullObject("N", "Plugin DisplacementHandler 1 "
                                                   "LW_MorphMixer 2 2000000000 Group A 0 0 0")),
        "");
    EXPECT_EQ(files.loadError(header() + nullObject("N", "Plugin DisplacementHandler 1 "
                                                         "LW_MorphMixer 2 1 Group A 5 0 0 Morph")),
              "Not Envelope");
}
