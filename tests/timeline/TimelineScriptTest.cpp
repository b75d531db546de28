#include "TimelineFixture.h"

#include "scene/Scene.h"
#include "shell/LoadError.h"

#include <gtest/gtest.h>

namespace {

std::string loadError(TimelineFixture& demo, const std::string& tail, const std::string& script)
{
    try {
        demo.load(tail, script);
    } catch (const LoadError& error) {
        return error.what();
    }
    return "";
}

} // namespace

TEST(ParseTime, TakesFixedPositionsWithAtoiRules)
{
    EXPECT_FLOAT_EQ(parseTime("00:01:02:500"), 62.5f);
    EXPECT_FLOAT_EQ(parseTime("01:00:00:001"), 3600.001f);
    // Minutes and seconds have no range limit.
    EXPECT_FLOAT_EQ(parseTime("00:75:00:000"), 4500.0f);
    EXPECT_FLOAT_EQ(parseTime("00:00:99:999"), 99.999f);
    // Separators are never looked at; fields stop at their first non-digit.
    EXPECT_FLOAT_EQ(parseTime("00-01.02x500"), 62.5f);
    EXPECT_FLOAT_EQ(parseTime("0a:1b:2c:5dd"), 60.0f + 2.0f + 0.005f);
    EXPECT_FLOAT_EQ(parseTime("xx:xx:xx:xxx"), 0.0f);
    // A field may carry a sign, as atoi reads it.
    EXPECT_FLOAT_EQ(parseTime("00:-1:30:000"), -30.0f);
    EXPECT_FLOAT_EQ(parseTime("00:+1:-0:+00"), 60.0f);
    // Characters past the twelfth are ignored.
    EXPECT_FLOAT_EQ(parseTime("00:00:01:000999"), 1.0f);
}

TEST(ParseTime, RefusesTokensShorterThan12OrLongerThan15)
{
    EXPECT_THROW(parseTime("00:00:01:00"), LoadError);
    EXPECT_THROW(parseTime(""), LoadError);
    EXPECT_THROW(parseTime("00:00:01:0000000"), LoadError);
    EXPECT_NO_THROW(parseTime("00:00:01:000000"));
}

TEST(TimelineScript, ReadsLayersAndSkipsCommentsAndBlankLines)
{
    TimelineFixture demo;
    demo.load("main 1.5 185.5\n  back screen\n\tfront screen  \n\n  ",
              "# a comment before everything\n\n   \n"
              "front none 00:00:10:000\n"
              "#back none 00:00:01:000\n"
              "back no 00:00:02:000 words after the time are ignored\n"
              "   # indented comments are comments too\n"
              "front no 00:01:00:000\n");
    const Timeline& timeline = demo.timeline;
    EXPECT_FLOAT_EQ(timeline.startTime, 1.5f);
    EXPECT_FLOAT_EQ(timeline.endTime, 185.5f);
    ASSERT_EQ(timeline.layers.size(), 2u);
    EXPECT_EQ(timeline.layers[0].name, "back");
    EXPECT_EQ(timeline.layers[1].name, "front");
    EXPECT_EQ(timeline.layers[0].target, nullptr);
    EXPECT_EQ(timeline.layers[0].counterFrequency, 1000);
    ASSERT_EQ(timeline.layers[0].events.size(), 1u);
    EXPECT_FLOAT_EQ(timeline.layers[0].events[0].time, 2.0f);
    ASSERT_EQ(timeline.layers[1].events.size(), 2u);
    EXPECT_FLOAT_EQ(timeline.layers[1].events[0].time, 10.0f);
    EXPECT_FLOAT_EQ(timeline.layers[1].events[1].time, 60.0f);
    EXPECT_EQ(timeline.layers[1].events[1].scene, nullptr);
    EXPECT_EQ(timeline.layers[1].current, Layer::notStarted);
}

TEST(TimelineScript, UnknownLayersAndMissingScriptsAreRefused)
{
    TimelineFixture demo;
    EXPECT_EQ(loadError(demo, "main 0 10 final screen", "Final none 00:00:01:000\n"),
              "wrong layer name : such layer do not exist");
    // A configuration that ends after the end time declares no layer at all.
    TimelineFixture bare;
    EXPECT_EQ(loadError(bare, "main 0 10", "final none 00:00:01:000\n"),
              "wrong layer name : such layer do not exist");
    TimelineFixture missing;
    EXPECT_EQ(loadError(missing, "nothing 0 10 final screen", ""),
              "Cannot load file " + missing.assets.paths.rootDir + "/nothing.txt from directory");
}

TEST(TimelineScript, StartAndEndTimesMustBeNumbers)
{
    for (const char* times : {"nan 10", "0 inf", "0 -nan"}) {
        TimelineFixture demo;
        const std::string error =
            loadError(demo, std::string("main ") + times + " final screen", "");
        EXPECT_EQ(error, "Wrong start or end time in " + demo.dir.file("demo.txt")) << times;
    }
}

// A start time far from 0 would leave the demo clock standing: demo time is the music position
// minus an offset that swallows its steps. A day's worth either side still plays.
TEST(TimelineScript, StartTimesBeyondADayAreLoadingErrors)
{
    for (const char* times : {"-1e38 30", "1e30 2e30", "100001 100010", "-200000 10"}) {
        TimelineFixture demo;
        const std::string error =
            loadError(demo, std::string("main ") + times + " final screen", "");
        EXPECT_EQ(error, "Start time beyond 100000 seconds in " + demo.dir.file("demo.txt") +
                             ": the demo clock cannot advance from it")
            << times;
    }
    for (const char* times : {"-100000 10", "100000 100010", "0 1e38"}) {
        TimelineFixture demo;
        EXPECT_EQ(loadError(demo, std::string("main ") + times + " final screen", ""), "") << times;
    }
}

TEST(TimelineScript, OpenCasesAreLoadingErrorsNamingTheLine)
{
    struct Case {
        const char* line;
        const char* expected;
    };
    const Case cases[] = {
        {"final xx city 1 00:00:01:000", "Unknown clear mode \"xx\""},
        {"final", "Unknown clear mode \"\""},
        {"final none 00:00:01", "Wrong time \"00:00:01\""},
        {"final none", "Wrong time \"\""},
        {"final cl city 1 00:00:01:0000000", "Wrong time \"00:00:01:0000000\""},
        {"final cl city 0 00:00:01:000", "Camera \"0\" does not exist in scene city"},
        {"final cl city 3 00:00:01:000", "Camera \"3\" does not exist in scene city"},
        {"final cl city one 00:00:01:000", "Camera \"one\" does not exist in scene city"},
    };
    for (const Case& c : cases) {
        TimelineFixture demo;
        demo.writeScene("city", 2);
        const std::string error =
            loadError(demo, "main 0 10 final screen", std::string("# first\n") + c.line + "\n");
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.line << " gave: " << error;
        EXPECT_NE(error.find(std::string(" line: ") + c.line), std::string::npos) << error;
    }
}

TEST(TimelineScript, SceneLinesLoadEachSceneOnceAndPickCamerasFromOne)
{
    TimelineFixture demo;
    demo.writeScene("city", 2, 10, 15);
    demo.writeScene("sea", 1);
    demo.load("main 0 100 glow screen final screen", "final cl city 2 00:01:02:500\n"
                                                     "glow cc sea 1 00:00:01:000 extra words\n"
                                                     "glow nc city 1 00:00:05:000\n"
                                                     "final cz sea 1 00:02:00:000\n");
    EXPECT_EQ(demo.assets.scenes.count(), 2u);
    const Layer& glow = demo.timeline.layers[0];
    const Layer& final = demo.timeline.layers[1];
    ASSERT_EQ(final.events.size(), 2u);
    ASSERT_EQ(glow.events.size(), 2u);
    const LayerEvent& first = final.events[0];
    ASSERT_NE(first.scene, nullptr);
    EXPECT_EQ(first.scene->name, "city");
    EXPECT_EQ(first.clearMode, ClearMode::DepthAndColour);
    EXPECT_FLOAT_EQ(first.time, 62.5f);
    // FirstFrame 15 at 10 frames per second.
    EXPECT_FLOAT_EQ(first.sceneStart, 1.5f);
    EXPECT_FLOAT_EQ(first.lastDrawTime, 1.5f);
    EXPECT_EQ(first.camera, first.scene->cameras[1].get());
    EXPECT_EQ(first.cameraNumber, 2);
    // One scene shared by both layers.
    EXPECT_EQ(glow.events[1].scene, first.scene);
    EXPECT_EQ(glow.events[1].camera, first.scene->cameras[0].get());
    EXPECT_EQ(glow.events[0].clearMode, ClearMode::Colour);
    EXPECT_EQ(glow.events[1].clearMode, ClearMode::Nothing);
    EXPECT_EQ(final.events[1].clearMode, ClearMode::Depth);
    EXPECT_EQ(final.events[1].scene, glow.events[0].scene);
}

TEST(TimelineScript, LongLinesAreSplitAt249Characters)
{
    TimelineFixture demo;
    // The rest past 249 characters comes back as a line of its own, naming layer "final".
    const std::string padding(249 - std::string("final none 00:00:01:000").size(), ' ');
    demo.load("main 0 10 final screen",
              "final none 00:00:01:000" + padding + "final none 00:00:02:000\n");
    ASSERT_EQ(demo.timeline.layers[0].events.size(), 2u);
    EXPECT_FLOAT_EQ(demo.timeline.layers[0].events[1].time, 2.0f);
}

// A texture layer's target goes through the texture cache like any texture name, so an
// oversized generated cube map is refused by name before a texel of it is built.
TEST(TimelineScript, OversizedCubeMapTargetsAreRefusedBeforeBuilding)
{
    TimelineFixture demo;
    const std::string message =
        loadError(demo, "main 0 10 glow NormCubeMap16384", "glow none 00:00:01:000\n");
    EXPECT_NE(message.find(demo.assets.paths.rootDir + "/tex/NormCubeMap16384.tga"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("2048"), std::string::npos) << message;
    EXPECT_EQ(demo.assets.textures.count(), 0u);
}
