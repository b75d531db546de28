#include "shell/SteeredLoop.h"

#include "platform/Window.h"
#include "render/TextPanel.h"
#include "shell/AuthorKeys.h"
#include "shell/AuthorOverlay.h"
#include "shell/DemoPlayer.h"
#include "shell/FrameTimer.h"
#include "shell/MainLoop.h"
#include "shell/Playback.h"
#include "timeline/FrameComposition.h"

// While a paused picture stands, the loop waits this long for events instead of spinning.
constexpr int heldPictureWaitMilliseconds = 10;

int runSteeredLoop(DemoPlayer& player, Window& window, const FrameClock& clock, FrameStats& stats,
                   Playback& playback, bool author)
{
    AuthorKeys keys(playback);
    AuthorOverlay overlay;
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
        if (!drawn)
            return;
        timer.drawing(t);
        renderFrame(player.timeline, t, clock, stopPending);
        // Over the last layer. A texture layer drawn first without a colour clear copies the
        // previous frame, and so the overlay too where its texture lies under the box.
        if (keys.overlayShown())
            drawTextPanel(overlay.panel(player, playback, stats));
    };
    hooks.stopMusic = [&] { player.clock->stop(); };
    hooks.escapeHeld = [&] { return window.keys()[virtualKeyEscape]; };
    hooks.stopPending = stopPending;
    hooks.present = [&] {
        if (!drawn && window.active()) {
            window.waitForEvents(heldPictureWaitMilliseconds);
            return;
        }
        window.swapBuffers();
        timer.presented();
        drawn = false;
    };
    return runLoop(playback.endTime(), hooks);
}
