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

MainLoopHooks windowHooks(Window& window)
{
    MainLoopHooks hooks;
    hooks.pumpEvents = [&window] { return window.pumpEvents(); };
    hooks.active = [&window] { return window.active(); };
    hooks.escapeHeld = [&window] { return window.keys()[virtualKeyEscape]; };
    hooks.stopPending = [&window] { return window.stopPending(); };
    return hooks;
}

int runMainLoop(DemoPlayer& player, Window& window, const FrameClock& clock, FrameStats* stats)
{
    FrameStats unused;
    FrameTimer timer(stats ? *stats : unused);
    MainLoopHooks hooks = windowHooks(window);
    hooks.demoTime = [&] { return player.demoTime(); };
    // The hooks' own stopPending: no function object is made again for every frame.
    hooks.renderFrame = [&](float t) {
        timer.drawing(t);
        renderFrame(player.timeline, t, clock, hooks.stopPending);
    };
    hooks.stopMusic = [&] { player.clock->stop(); };
    hooks.present = [&] {
        window.swapBuffers();
        timer.presented(player.timeline);
    };
    return runLoop(player.timeline.endTime, hooks);
}
