#include "shell/AuthorKeys.h"

#include "platform/Window.h"
#include "shell/Playback.h"

#include <utility>

void AuthorKeys::handle(const std::vector<KeyPress>& presses)
{
    for (const KeyPress& key : presses) {
        const float jump = key.shift ? longJumpSeconds : shortJumpSeconds;
        switch (key.code) {
        case authorKey::left:
            playback.seekBy(-jump);
            break;
        case authorKey::right:
            playback.seekBy(jump);
            break;
        case authorKey::home:
            playback.seekToStart();
            break;
        case authorKey::period:
            playback.step(1);
            break;
        case authorKey::comma:
            playback.step(-1);
            break;
        default:
            break;
        }
        if (key.repeat)
            continue;
        switch (key.code) {
        case authorKey::space:
            playback.togglePause();
            break;
        case authorKey::loop:
            playback.markLoop();
            break;
        case authorKey::f1:
            overlay = !overlay;
            // A held picture is drawn again with (or without) the overlay over it.
            playback.redraw();
            break;
        case authorKey::reload:
            reloadAsked = true;
            break;
        default:
            break;
        }
    }
}

bool AuthorKeys::takeReloadRequest()
{
    return std::exchange(reloadAsked, false);
}
