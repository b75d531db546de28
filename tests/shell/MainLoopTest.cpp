#include "shell/MainLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Drives the loop with scripted answers and writes down every call in order.
struct ScriptedLoop {
    std::vector<float> times;
    std::size_t nextTime = 0;
    int quitAfterPumps = -1;
    int inactivePasses = 0;
    int escapeAtFrame = -1;
    int pumps = 0;
    int frames = 0;
    std::string log;

    MainLoopHooks hooks()
    {
        MainLoopHooks h;
        h.pumpEvents = [this] {
            log += "P";
            return ++pumps == quitAfterPumps;
        };
        h.active = [this] { return pumps > inactivePasses; };
        h.demoTime = [this] { return times.at(nextTime++); };
        h.renderFrame = [this](float t) {
            ++frames;
            log += "R" + std::to_string(static_cast<int>(t * 10.0f));
        };
        h.stopMusic = [this] { log += "S"; };
        h.escapeHeld = [this] { return frames == escapeAtFrame; };
        h.present = [this] { log += "W"; };
        return h;
    }
};

} // namespace

TEST(MainLoop, RendersUpToAndIncludingTheEndTimeThenStopsTheMusic)
{
    ScriptedLoop loop;
    loop.times = {0.1f, 0.5f, 1.0f, 1.1f};
    EXPECT_EQ(runLoop(1.0f, loop.hooks()), 0);
    // The frame at exactly the end time is drawn and shown; the first one past it is not.
    EXPECT_EQ(loop.log, "PR1WPR5WPR10WPS");
}

TEST(MainLoop, EscapeEndsTheLoopWithoutPresentingThatFrame)
{
    ScriptedLoop loop;
    loop.times = {0.1f, 0.2f, 0.3f};
    loop.escapeAtFrame = 2;
    EXPECT_EQ(runLoop(10.0f, loop.hooks()), 0);
    EXPECT_EQ(loop.log, "PR1WPR2");
}

TEST(MainLoop, QuitEndsTheLoopBeforeAnyFrameAndLeavesTheMusicToTeardown)
{
    ScriptedLoop loop;
    loop.times = {0.1f, 0.2f};
    loop.quitAfterPumps = 2;
    EXPECT_EQ(runLoop(10.0f, loop.hooks()), 0);
    EXPECT_EQ(loop.log, "PR1WP");
}

TEST(MainLoop, InactiveWindowSwapsButNeitherReadsTheClockNorDraws)
{
    ScriptedLoop loop;
    loop.times = {5.0f, 20.0f};
    loop.inactivePasses = 3;
    EXPECT_EQ(runLoop(10.0f, loop.hooks()), 0);
    EXPECT_EQ(loop.log, "PWPWPWPR50WPS");
    EXPECT_EQ(loop.nextTime, 2u);
}
