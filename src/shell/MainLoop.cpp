#include "shell/MainLoop.h"

#include "platform/Clock.h"
#include "platform/Window.h"
#include "shell/AuthorKeys.h"
#include "shell/DemoPlayer.h"
#include "shell/MusicStream.h"
#include "shell/Playback.h"
#include "timeline/FrameClock.h"
#include "timeline/FrameComposition.h"
#include "timeline/FrameStats.h"

#include <optional>

int runLoop(float endTime, const MainLoopHooks& hooks)
{
    bool cutShort = false;
    for (;;) {
        // No frame is drawn while events are pending: pumpEvents drains them all first.
        if (hooks.pumpEvents())
            break;
        // An Escape that cut the last frame short ends the loop now, not after one more frame.
        if (cutShort && hooks.escapeHeld())
            break;
        cutShort = false;
        if (hooks.active()) {
            const float t = hooks.demoTime();
            if (t > endTime) {
                hooks.stopMusic();
                break;
            }
            hooks.renderFrame(t);
        }
        // The frame of this pass is dropped: the last one shown stays on screen.
        if (hooks.escapeHeld())
            break;
        if (hooks.stopPending && hooks.stopPending()) {
            cutShort = true;
            continue;
        }
        hooks.present();
    }
    return 0;
}

namespace {

// Times each presented frame from the previous present to its own, into the run's statistics.
class FrameTimer {
public:
    FrameTimer(FrameStats& frameStats, Timeline& frameTimeline)
        : stats(frameStats), timeline(frameTimeline)
    {
    }

    void drawing(float t) { drawnTime = t; }
    // After each present; passes that presented no new frame (minimised, paused) are not counted.
    void presented()
    {
        const std::int64_t now = performanceCounter();
        if (drawnTime &&
            stats.add(*drawnTime, static_cast<double>(now - lastPresent) * millisecondsPerTick))
            stats.setWorstEvents(describeLayerEvents(timeline));
        drawnTime.reset();
        lastPresent = now;
    }

private:
    FrameStats& stats;
    Timeline& timeline;
    std::optional<float> drawnTime;
    std::int64_t lastPresent = performanceCounter();
    double millisecondsPerTick = 1000.0 / static_cast<double>(performanceFrequency());
};

} // namespace

// While a paused picture stands, the loop waits this long for events instead of spinning.
constexpr int heldPictureWaitMilliseconds = 10;

static int runSteeredLoop(DemoPlayer& player, Window& window, const FrameClock& clock,
                          FrameStats& stats, Playback& playback, bool author)
{
    AuthorKeys keys(playback);
    FrameTimer timer(stats, player.timeline);
    const auto stopPending = [&] { return window.stopPending(); };
    bool drawn = false;
    MainLoopHooks hooks;
    hooks.pumpEvents = [&] {
        const bool quit = window.pumpEvents();
        std::vector<KeyPress> presses = window.takeKeyPresses();
        if (author)
            keys.handle(presses);
        return quit;
    };
    hooks.active = [&] { return window.active(); };
    hooks.demoTime = [&] { return playback.frameTime(); };
    hooks.renderFrame = [&](float t) {
        drawn = playback.frameWanted();
        if (drawn) {
            timer.drawing(t);
            renderFrame(player.timeline, t, clock, stopPending);
        }
    };
    hooks.stopMusic = [&] { player.clock->stop(); };
    hooks.escapeHeld = [&] { return window.keys()[virtualKeyEscape]; };
    hooks.stopPending = stopPending;
    hooks.present = [&] {
        if (drawn || !window.active())
            window.swapBuffers();
        else
            window.waitForEvents(heldPictureWaitMilliseconds);
        timer.presented();
        drawn = false;
    };
    return runLoop(playback.endTime(), hooks);
}

int runMainLoop(DemoPlayer& player, Window& window, const FrameClock& clock, Playback* playback,
                bool author, FrameStats* stats)
{
    FrameStats unused;
    FrameStats& frameStats = stats ? *stats : unused;
    if (playback)
        return runSteeredLoop(player, window, clock, frameStats, *playback, author);
    FrameTimer timer(frameStats, player.timeline);
    const auto stopPending = [&] { return window.stopPending(); };
    MainLoopHooks hooks;
    hooks.pumpEvents = [&] { return window.pumpEvents(); };
    hooks.active = [&] { return window.active(); };
    hooks.demoTime = [&] { return player.demoTime(); };
    hooks.renderFrame = [&](float t) {
        timer.drawing(t);
        renderFrame(player.timeline, t, clock, stopPending);
    };
    hooks.stopMusic = [&] { player.clock->stop(); };
    hooks.escapeHeld = [&] { return window.keys()[virtualKeyEscape]; };
    hooks.stopPending = stopPending;
    hooks.present = [&] {
        window.swapBuffers();
        timer.presented();
    };
    return runLoop(player.timeline.endTime, hooks);
}
