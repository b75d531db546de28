#include "shell/MainLoop.h"

#include "platform/Clock.h"
#include "platform/Window.h"
#include "shell/DemoPlayer.h"
#include "shell/MusicStream.h"
#include "timeline/FrameClock.h"
#include "timeline/FrameComposition.h"
#include "timeline/FrameStats.h"

#include <optional>

int runLoop(float endTime, const MainLoopHooks& hooks)
{
    for (;;) {
        // No frame is drawn while events are pending: pumpEvents drains them all first.
        if (hooks.pumpEvents())
            break;
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
        if (hooks.stopPending && hooks.stopPending())
            continue;
        hooks.present();
    }
    return 0;
}

int runMainLoop(DemoPlayer& player, Window& window, const FrameClock& clock, FrameStats& stats)
{
    const auto stopPending = [&] { return window.stopPending(); };
    std::optional<float> frameTime; // the demo time drawn since the last present, if any
    std::int64_t lastPresent = performanceCounter();
    const double millisecondsPerTick = 1000.0 / static_cast<double>(performanceFrequency());
    MainLoopHooks hooks;
    hooks.pumpEvents = [&] { return window.pumpEvents(); };
    hooks.active = [&] { return window.active(); };
    hooks.demoTime = [&] { return player.demoTime(); };
    hooks.renderFrame = [&](float t) {
        frameTime = t;
        renderFrame(player.timeline, t, clock, stopPending);
    };
    hooks.stopMusic = [&] { player.clock->stop(); };
    hooks.escapeHeld = [&] { return window.keys()[virtualKeyEscape]; };
    hooks.stopPending = stopPending;
    hooks.present = [&] {
        window.swapBuffers();
        const std::int64_t now = performanceCounter();
        // Passes while minimised present no frame and are not counted.
        if (frameTime &&
            stats.add(*frameTime, static_cast<double>(now - lastPresent) * millisecondsPerTick))
            stats.setWorstEvents(describeLayerEvents(player.timeline));
        frameTime.reset();
        lastPresent = now;
    };
    return runLoop(player.timeline.endTime, hooks);
}
