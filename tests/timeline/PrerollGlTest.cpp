#include "SampleDemo.h"

#include "shell/DemoConfig.h"
#include "shell/MappedTextFile.h"
#include "shell/Viewport.h"
#include "support/OffscreenGl.h"
#include "support/TempDir.h"
#include "timeline/DemoAssets.h"
#include "timeline/FrameComposition.h"
#include "timeline/Preroll.h"
#include "timeline/Timeline.h"
#include "timeline/TimelineScript.h"
#include "timeline/VirtualClock.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace {

constexpr int width = 160;
constexpr int height = 120;
constexpr std::int64_t ticksPerSecond = 1'000'000'000;

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void replaceOnce(std::string& text, const std::string& what, const std::string& with)
{
    const std::size_t at = text.find(what);
    ASSERT_NE(at, std::string::npos) << what;
    text.replace(at, what.size(), with);
}

// The tiny demo's scene seen through a shaking camera; the texture layer draws it at 30 frames
// per second, the screen layer a copy at 8 over it without clearing, so a frame shows the
// previous ones wherever the slow scene is held.
void writeShakingDemo(const TempDir& demo)
{
    writeTinyDemo(demo.path().string(), 0.5f, 1.0f);
    std::string scene = readText(demo.file("scn/tiny.lws"));
    replaceOnce(scene, "FieldRendering 0\n",
                "FieldRendering 0\nDepthOfField 1\nFocalDistance 0.5\n");
    demo.write("scn/tiny.lws", scene);
    replaceOnce(scene, "FramesPerSecond 30", "FramesPerSecond 8");
    demo.write("scn/slow.lws", scene);
    demo.write("tiny.txt", "glow cl tiny 1 00:00:00:000\nfinal nc slow 1 00:00:00:100\n");
}

// One load of the demo, as the player builds it.
struct LoadedDemo {
    explicit LoadedDemo(const TempDir& demo) : assets(pathsOf(demo))
    {
        MappedTextFile config(demo.file("defaultdemoconfig.txt"));
        readDemoHeader(config);
        resize(width, height, assets.paths.aspect);
        loadTimeline(timeline, config, ticksPerSecond);
    }

    static DemoPaths pathsOf(const TempDir& demo)
    {
        MappedTextFile config(demo.file("defaultdemoconfig.txt"));
        DemoSettings settings = readDemoHeader(config);
        settings.rootDir = demo.path().string();
        return DemoPaths::fromSettings(settings);
    }

    DemoAssets assets;
    Timeline timeline{assets};
};

} // namespace

// A run that starts drawing at a later frame, of the grid from the start or of one from a later
// second, draws exactly the pixels of the run that drew every frame: the shake takes the same
// random numbers, the slow layer is held where it was, the texture layer holds the same copy.
TEST(Preroll, ALaterFirstFrameDrawsTheFullRunsPixels)
{
    ensureOffscreenGl(width, height);
    resetGlState();
    TempDir demo;
    writeShakingDemo(demo);
    const FrameRate rate{20, 1};
    constexpr float from = 0.25f; // frame 5 of the grid from the start
    constexpr int frames = 12;

    std::vector<std::vector<unsigned char>> full;
    {
        LoadedDemo run(demo);
        VirtualClock clock(0.0f, rate, ticksPerSecond);
        prerollTimeline(run.timeline, clock, {from, 0});
        for (int frame = 0; frame < frames; ++frame) {
            clock.moveTo(from, frame);
            renderFrame(run.timeline, clock.demoTime(), clock);
            full.push_back(readPixelsRGBA(0, 0, width, height));
        }
    }
    ASSERT_NE(full[3], full[4]) << "the shake moves the picture";

    for (const int first : {1, 4, 7, 11}) {
        resetGlState();
        LoadedDemo run(demo);
        VirtualClock clock(0.0f, rate, ticksPerSecond);
        prerollTimeline(run.timeline, clock, {from, first});
        EXPECT_EQ(clock.demoTime(), frameTime(from, rate, first));
        renderFrame(run.timeline, clock.demoTime(), clock);
        EXPECT_TRUE(readPixelsRGBA(0, 0, width, height) == full[static_cast<std::size_t>(first)])
            << "frame " << first;
    }
}

// A frame limiter holds the slow scene for up to three frames at 20 per second: the preroll
// draws those and the two before any frame.
TEST(Preroll, DrawsEnoughFramesForTheSlowestScene)
{
    ensureOffscreenGl(width, height);
    TempDir demo;
    writeShakingDemo(demo);
    LoadedDemo run(demo);
    EXPECT_EQ(prerollDrawnFrames(run.timeline, VirtualClock(0.0f, {20, 1}, ticksPerSecond)), 5);
    EXPECT_EQ(prerollDrawnFrames(run.timeline, VirtualClock(0.0f, {60, 1}, ticksPerSecond)), 10);
}
