#include "shell/MainLoop.h"

#include "platform/Window.h"
#include "shell/DemoPlayer.h"
#include "shell/MusicStream.h"
#include "shell/SteeredLoop.h"
#include "timeline/FrameClock.h"
#include "timeline/FrameComposition.h"

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
        hooks.present();
    }
    return 0;
}

int runMainLoop(DemoPlayer& player, Window& window, const FrameClock& clock, Playback* playback,
                bool author)
{
    if (playback)
        return runSteeredLoop(player, window, clock, *playback, author);
    MainLoopHooks hooks;
    hooks.pumpEvents = [&] { return window.pumpEvents(); };
    hooks.active = [&] { return window.active(); };
    hooks.demoTime = [&] { return player.demoTime(); };
    hooks.renderFrame = [&](float t) { renderFrame(player.timeline, t, clock); };
    hooks.stopMusic = [&] { player.clock->stop(); };
    hooks.escapeHeld = [&] { return window.keys()[virtualKeyEscape]; };
    hooks.present = [&] { window.swapBuffers(); };
    return runLoop(player.timeline.endTime, hooks);
}
