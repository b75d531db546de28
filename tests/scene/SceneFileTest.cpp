#include "SceneFixture.h"
#include "SceneText.h"

#include "anim/Envelope.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace scenetext;

TEST(SceneFile, HeaderChecks)
{
    SceneFiles files;
    EXPECT_EQ(files.loadError("LWSX\n3\nFramesPerSecond 30\n"), "Not LW Scene File");
    EXPECT_EQ(files.loadError("lwsc\n3\nFramesPerSecond 30\n"), "Not LW Scene File");
    for (const char* version : {"1", "2", "4", "x"})
        EXPECT_EQ(files.loadError(std::string("LWSC\n") + version + "\nFramesPerSecond 30\n"),
                  "Not LW version 6 or higher")
            << version;
    EXPECT_EQ(files.loadError("LWSC\n3\nFramesPerSecond 30\n"), "");

    // The whole path must fit in 249 characters, even where the file system takes more.
    const std::string prefix = files.dir.path().string() + "/scenes/";
    const std::string fits(249 - prefix.size() - 4, 'n');
    EXPECT_EQ(files.loadError("LWSC\n3\nFramesPerSecond 30\n", fits), "");
    EXPECT_EQ(files.loadError("LWSC\n3\nFramesPerSecond 30\n", fits + "n"),
              "Cannot load file " + prefix + fits + "n.lws from directory");

    const std::string missing = files.dir.path().string() + "/scenes/missing.lws";
    try {
        loadScene("missing", files.assets.paths, files.assets.meshes, files.assets.textures);
        FAIL() << "a missing scene loaded";
    } catch (const LoadError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot load file " + missing + " from directory");
    }
}

TEST(SceneFile, FrameRangeInSecondsFromWholeFrames)
{
    SceneFiles files;
    // 29.97 converts as an unsigned integer: 29.
    auto scene = files.load("LWSC\n3\nFirstFrame 30\nLastFrame 90\nFramesPerSecond 29.97\n");
    EXPECT_EQ(scene->startTime, static_cast<float>(30.0L / 29.0L));
    EXPECT_EQ(scene->endTime, static_cast<float>(90.0L / 29.0L));
    EXPECT_EQ(scene->frameDuration, static_cast<float>(1.0L / 29.0L));
    EXPECT_EQ(scene->name, "test");

    // Missing frame numbers count as frame 0; a missing or zero frame rate has no times at all.
    auto noFrames = files.load("LWSC\n3\nFramesPerSecond 25\n");
    EXPECT_EQ(noFrames->startTime, 0.0f);
    EXPECT_EQ(noFrames->endTime, 0.0f);
    EXPECT_EQ(files.loadError("LWSC\n3\nFirstFrame 1\nLastFrame 60\n"), "Lack of FramesPerSecond");
    EXPECT_EQ(files.loadError("LWSC\n3\nFramesPerSecond 0\n"), "Lack of FramesPerSecond");
}

TEST(SceneFile, FogDistanceAndColourCountOnlyAfterLinearFog)
{
    SceneFiles files;
    auto before = files.load(header() + "FogMinDistance 3\nFogColor 1 0 0\nFogMaxDistance 40\n"
                                        "FogType 1\n");
    EXPECT_EQ(before->fogType, 1);
    EXPECT_FALSE(before->fogMinDistance);
    EXPECT_FALSE(before->fogColour);
    ASSERT_TRUE(before->fogMaxDistance);
    EXPECT_EQ(before->fogMaxDistance->value, 40.0f);

    auto after = files.load(header() + "FogType 1\nFogMinDistance " + envelopeChannel(3) +
                            "FogMaxDistance 40\nFogColor 0.25 0.5 0.75\n");
    ASSERT_TRUE(after->fogMinDistance);
    ASSERT_TRUE(after->fogMinDistance->envelope);
    EXPECT_EQ(evaluateChannel(*after->fogMinDistance, 2.0f), 3.0f);
    ASSERT_TRUE(after->fogColour);
    EXPECT_EQ(after->fogColour->green, 0.5f);
    EXPECT_EQ(after->fogColour->blue, 0.75f);
    EXPECT_EQ(after->fogColour->alpha, 1.0f);

    // Fog type 2 is not linear fog: the distances stay unread.
    auto otherFog = files.load(header() + "FogType 2\nFogMinDistance 3\n");
    EXPECT_FALSE(otherFog->fogMinDistance);
}

TEST(SceneFile, TheWordAfterAmbientColourIsSeenOnlyByCameraMotion)
{
    SceneFiles files;
    auto lost = files.load(header() + "AmbientColor 0.5 0.25 1\nBackdropColor 1 0 0\n");
    ASSERT_TRUE(lost->ambientColour);
    EXPECT_EQ(lost->ambientColour->red, 0.5f);
    EXPECT_EQ(lost->ambientColour->alpha, 1.0f);
    EXPECT_FALSE(lost->ambientIntensity);
    EXPECT_FALSE(lost->backdropColour);

    auto camera = files.load(header() + "AmbientColor 1 1 1\nCameraMotion\n" + motion(0, 0, 0, 6) +
                             "ZoomFactor 2\n" + cameraSettings());
    EXPECT_EQ(camera->cameras.size(), 1u);

    auto intensity = files.load(header() + "AmbientColor 1 1 1\nAmbientIntensity 0.25\n"
                                           "BackdropColor 0 0.5 0\nNearClipDistance 0.125\n");
    ASSERT_TRUE(intensity->ambientIntensity);
    EXPECT_EQ(intensity->ambientIntensity->value, 0.25f);
    ASSERT_TRUE(intensity->backdropColour);
    EXPECT_EQ(intensity->backdropColour->green, 0.5f);
    EXPECT_EQ(intensity->nearClip, 0.125f);
}

TEST(SceneFile, DefaultsWithoutTheirKeywords)
{
    SceneFiles files;
    // A word too long for any keyword is passed over like every other unknown word.
    auto scene = files.load(header() + "DataOverlayLabel " + std::string(300, 'x') + "\n");
    EXPECT_EQ(scene->fogType, 0);
    EXPECT_EQ(scene->nearClip, 1.0f);
    EXPECT_FALSE(scene->ambientColour);
    EXPECT_FALSE(scene->ambientIntensity);
    EXPECT_FALSE(scene->backdropColour);
    EXPECT_FALSE(scene->fgDissolve);
    EXPECT_EQ(scene->bgImage, nullptr);
    EXPECT_TRUE(scene->objects.empty());
    EXPECT_TRUE(scene->activeLights.empty());
    EXPECT_TRUE(scene->flareLights.empty());
    EXPECT_TRUE(scene->shadowLights.empty());
}

TEST(SceneFile, CameraBlocks)
{
    SceneFiles files;
    const std::string blurred = "AddCamera\nCameraName Blurred\nCameraMotion\n" +
                                motion(1, 2, 3, 6) + "HController 0\nPController 0\n" +
                                "ParentItem 10000000\nZoomFactor " + envelopeChannel(4) +
                                cameraSettings(2) + "BlurLength 0.5\nDepthOfField 1\n" +
                                "FocalDistance 0.02\nLensFStop 4\n";
    // The second camera has no zoom: it gets LightWave's default. The word standing where the
    // zoom would stand is used up all the same.
    const std::string plain = "AddCamera\nCameraName Plain\nCameraMotion\n" + motion(0, 0, 0, 6) +
                              "NoZoom\n" + cameraSettings(1) + "DepthOfField 0\nFocalDistance 9\n";
    auto scene = files.load(header() + nullObject("Rig", "ShadowOptions 7") + blurred + plain);
    ASSERT_EQ(scene->cameras.size(), 2u);
    const Camera& first = *scene->cameras[0];
    EXPECT_EQ(evaluateChannel(first.zoomFactor, 0.0f), 4.0f);
    ASSERT_TRUE(first.blurLength);
    EXPECT_EQ(first.blurLength->value, 0.5f);
    ASSERT_TRUE(first.focalDistance);
    EXPECT_EQ(first.focalDistance->value, 0.02f);
    EXPECT_EQ(first.parent, scene->objects[0].get());
    EXPECT_EQ(evaluateMotionChannel(first.motion, MotionChannel::Z, 0.0f), 3.0f);

    const Camera& second = *scene->cameras[1];
    EXPECT_EQ(second.zoomFactor.value, 3.2f);
    EXPECT_FALSE(second.zoomFactor.envelope);
    EXPECT_FALSE(second.blurLength);
    EXPECT_FALSE(second.focalDistance);
    EXPECT_EQ(second.parent, nullptr);
}

TEST(SceneFile, CameraMessages)
{
    SceneFiles files;
    const std::string opening = header() + "CameraMotion\n" + motion(0, 0, 0, 6) + "ZoomFactor 3\n";
    // Eleven words where twelve are expected: the blur keyword is taken as the twelfth.
    EXPECT_EQ(files.loadError(opening + "FrameSize 640 480 PixelAspect 1 MaskPosition 0 0 640 "
                                        "480 ResolutionMultiplier MotionBlur 0 FieldRendering 0\n"),
              "Not MotionBlur");
    EXPECT_EQ(files.loadError(opening + cameraSettings(2) + "ApertureHeight 0.015\n"),
              "Not BlurLength");
    EXPECT_EQ(files.loadError(opening + cameraSettings(0) + "DepthOfField 1\nLensFStop 4\n"),
              "Not FocalDistance");
    EXPECT_EQ(files.loadError(header() + "CameraMotion\nZoomFactor 3\n"), "Not NumChannels");
}

TEST(SceneFile, ParentsResolveAfterTheLastItem)
{
    SceneFiles files;
    auto scene = files.load(header() + nullObject("Child", "ParentItem 10000001\nShadowOptions 7") +
                            nullObject("Parent", "ShadowOptions 7") +
                            nullObject("OnBone", "ParentItem 40010000\nShadowOptions 7") +
                            nullObject("PastEnd", "ParentItem 10000009\nShadowOptions 7") +
                            nullObject("OnCamera", "ParentItem 30000000\nShadowOptions 7") +
                            light("Lamp", 1, 1.0f, "ShadowType 1\n", "ParentItem 10000001\n") +
                            camera("ParentItem 20000000\n"));
    ASSERT_EQ(scene->objects.size(), 5u);
    EXPECT_EQ(scene->objects[0]->parent, scene->objects[1].get());
    EXPECT_EQ(scene->objects[1]->parent, nullptr);
    // A bone parent is linked by its object only; an index past the list names nothing.
    ASSERT_TRUE(scene->objects[2]->parentRef);
    EXPECT_EQ(scene->objects[2]->parentRef->kind, ParentRef::bone);
    EXPECT_EQ(scene->objects[2]->parent, nullptr);
    EXPECT_EQ(scene->objects[3]->parent, nullptr);
    EXPECT_EQ(scene->objects[4]->parent, scene->cameras[0].get());
    EXPECT_EQ(scene->lights[0]->parent, scene->objects[1].get());
    EXPECT_EQ(scene->cameras[0]->parent, scene->lights[0].get());
}

TEST(SceneFile, ParentLoopsAreCutAtTheirFirstItem)
{
    SceneFiles files;
    auto scene = files.load(header() + nullObject("A", "ParentItem 10000001\nShadowOptions 7") +
                            nullObject("B", "ParentItem 10000000\nShadowOptions 7") +
                            nullObject("Self", "ParentItem 10000002\nShadowOptions 7") +
                            nullObject("Chain", "ParentItem 10000001\nShadowOptions 7"));
    EXPECT_EQ(scene->objects[0]->parent, nullptr);
    EXPECT_EQ(scene->objects[1]->parent, scene->objects[0].get());
    EXPECT_EQ(scene->objects[2]->parent, nullptr);
    EXPECT_EQ(scene->objects[3]->parent, scene->objects[1].get());
}

TEST(SceneFile, ParentLoopsLoseTheLinkOfTheirFirstMemberInFileOrder)
{
    SceneFiles files;
    // Tail leads into the loop Second -> Third -> Second without being part of it; the loop
    // object -> light -> camera spans all three kinds.
    auto scene = files.load(header() + nullObject("Tail", "ParentItem 10000002\nShadowOptions 7") +
                            nullObject("Second", "ParentItem 10000002\nShadowOptions 7") +
                            nullObject("Third", "ParentItem 10000001\nShadowOptions 7") +
                            nullObject("ToLight", "ParentItem 20000000\nShadowOptions 7") +
                            light("Lamp", 1, 1.0f, "ShadowType 1\n", "ParentItem 30000000\n") +
                            camera("ParentItem 10000003\n"));
    EXPECT_EQ(scene->objects[0]->parent, scene->objects[2].get());
    EXPECT_EQ(scene->objects[1]->parent, nullptr);
    EXPECT_EQ(scene->objects[2]->parent, scene->objects[1].get());
    EXPECT_EQ(scene->objects[3]->parent, nullptr);
    EXPECT_EQ(scene->lights[0]->parent, scene->cameras[0].get());
    EXPECT_EQ(scene->cameras[0]->parent, scene->objects[3].get());

    // One loop through thousands of objects: only the first loses its parent.
    constexpr int count = 3000;
    std::string text = header();
    for (int i = 0; i < count; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "1%07X", (i + 1) % count);
        text += "AddNullObject N\nObjectMotion\n" + motion(0, 0, 0, 6) + "ParentItem " + id +
                "\nShadowOptions 7\n";
    }
    auto ring = files.load(text);
    ASSERT_EQ(ring->objects.size(), static_cast<std::size_t>(count));
    EXPECT_EQ(ring->objects[0]->parent, nullptr);
    for (std::size_t i = 1; i < ring->objects.size(); ++i)
        ASSERT_EQ(ring->objects[i]->parent, ring->objects[(i + 1) % count].get()) << i;
}

TEST(SceneFile, ItemBlocksEndAtTheEndOfTheFile)
{
    SceneFiles files;
    // An object without any optional part scans to the end of the file.
    auto object = files.load(header() + nullObject("Open", "LockedChannels 0\nSomething 1"));
    ASSERT_EQ(object->objects.size(), 1u);
    EXPECT_EQ(object->objects[0]->flags, 0u);
    // So does a light without shadow or flare keywords.
    auto light = files.load(header() + "LightName Lamp\nShowLight 0 5\nLightMotion\n" + motion() +
                            "LightColor 1 1 1\nLightIntensity 1\nLightType 0\nLightRange 1");
    ASSERT_EQ(light->lights.size(), 1u);
    EXPECT_EQ(light->lights[0]->lightNumber, 0);
}
