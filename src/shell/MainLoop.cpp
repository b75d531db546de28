#include "shell/MainLoop.h"

#include "platform/Window.h"
#include "shell/DemoPlayer.h"
#include "shell/FrameTimer.h"
#include "shell/MusicStream.h"
#include "timeline/FrameClock.h"
#include "timeline/FrameComposition.h"
#include "timeline/FrameStats.h"

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

int runMainLoop(DemoPlayer& player, Window& window, const FrameClock& clock, FrameStats* stats)
{
    FrameStats unused;
    FrameStats& frameStats = stats ? *stats : unused;
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
