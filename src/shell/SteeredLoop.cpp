#include "shell/SteeredLoop.h"

#include "platform/AudioOutput.h"
#include "platform/Window.h"
#include "render/TextPanel.h"
#include "shell/AuthorKeys.h"
#include "shell/AuthorOverlay.h"
#include "shell/DemoPlayer.h"
#include "shell/FrameTimer.h"
#include "shell/HotReload.h"
#include "shell/MainLoop.h"
#include "shell/Playback.h"
#include "timeline/FrameComposition.h"

#include <cstdio>
#include <ctime>

namespace {

// While a paused picture stands, the loop waits this long for events instead of spinning.
constexpr int heldPictureWaitMilliseconds = 10;

std::string clockTime()
{
    const std::time_t now = std::time(nullptr);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", std::localtime(&now));
    return text;
}

// Loads the demo again; on success the playback moves to it and the old one
// is freed. Either way the outcome goes to the overlay and to standard error.
void reloadDemo(std::unique_ptr<DemoPlayer>& player, HotReload& reload, Playback& playback,
                AuthorOverlay& overlay)
{
    std::string error;
    std::unique_ptr<DemoPlayer> fresh = reload.reload(*player, error);
    if (!fresh) {
        std::fprintf(stderr, "demoplayer: reload failed, the last good demo plays on: %s\n",
                     error.c_str());
        overlay.setReloadResult("reload " + clockTime() + " FAILED, last good kept: " + error);
        return;
    }
    playback.takeOver(*fresh);
    player = std::move(fresh);
    std::fprintf(stderr, "demoplayer: reloaded\n");
    overlay.setReloadResult("reload " + clockTime() + " ok");
}

} // namespace

int runSteeredLoop(std::unique_ptr<DemoPlayer>& player, Window& window, const FrameClock& clock,
                   FrameStats& stats, Playback& playback, bool author, HotReload* reload)
{
    AuthorKeys keys(playback);
    AuthorOverlay overlay;
    FrameTimer timer(stats);
    bool drawn = false;
    MainLoopHooks hooks = windowHooks(window);
    hooks.pumpEvents = [&] {
        const bool quit = window.pumpEvents();
        std::vector<KeyPress> presses = window.takeKeyPresses();
        if (author)
            keys.handle(presses);
        // Between two frames: nothing of the old demo is in use while the new one takes over.
        const bool changed = reload && reload->changesSettled(monotonicNanoseconds());
        if (reload && (keys.takeReloadRequest() || changed))
            reloadDemo(player, *reload, playback, overlay);
        return quit;
    };
    hooks.demoTime = [&] { return playback.frameTime(); };
    hooks.renderFrame = [&](float t) {
        drawn = playback.frameWanted();
        if (!drawn)
            return;
        timer.drawing(t);
        renderFrame(player->timeline, t, clock, hooks.stopPending);
        // Over the last layer. A texture layer drawn first without a colour clear copies the
        // previous frame, and so the overlay too where its texture lies under the box.
        if (keys.overlayShown())
            drawTextPanel(overlay.panel(*player, playback, stats));
    };
    hooks.stopMusic = [&] { player->clock->stop(); };
    hooks.present = [&] {
        if (!drawn && window.active()) {
            window.waitForEvents(heldPictureWaitMilliseconds);
            return;
        }
        window.swapBuffers();
        timer.presented(player->timeline);
        drawn = false;
    };
    return runLoop(playback.endTime(), hooks);
}
