#include "platform/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

bool displayAvailable()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

// Set by tools, and by whoever runs the player under a virtual X server with no one to click.
static const char* const quietVariable = "DEMOPLAYER_NO_MESSAGE_BOXES";

// The boxes are the user's one window-system channel, so whether they are held is kept where
// they are shown: one count for the process.
static int heldBoxes = 0;

MessageBoxesHeld::MessageBoxesHeld()
{
    ++heldBoxes;
}

MessageBoxesHeld::~MessageBoxesHeld()
{
    --heldBoxes;
}

static bool boxesWanted()
{
    const char* quiet = std::getenv(quietVariable);
    return heldBoxes == 0 && displayAvailable() && !(quiet && *quiet);
}

void turnMessageBoxesOff()
{
    setenv(quietVariable, "1", 1);
}

static Uint32 boxFlags(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Error:
        return SDL_MESSAGEBOX_ERROR;
    case MessageIcon::Warning:
        return SDL_MESSAGEBOX_WARNING;
    case MessageIcon::Information:
        return SDL_MESSAGEBOX_INFORMATION;
    }
    return SDL_MESSAGEBOX_INFORMATION;
}

void showMessage(const std::string& caption, const std::string& text, MessageIcon icon)
{
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    showMessageBox(caption, text, icon);
}

void showMessageBox(const std::string& caption, const std::string& text, MessageIcon icon)
{
    if (boxesWanted())
        SDL_ShowSimpleMessageBox(boxFlags(icon), caption.c_str(), text.c_str(), nullptr);
}

bool askYesNo(const std::string& caption, const std::string& text)
{
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    if (!boxesWanted()) {
        std::fprintf(stderr, "%s: no display to ask on; answering Yes\n", caption.c_str());
        return true;
    }
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
    };
    const SDL_MessageBoxData data = {
        SDL_MESSAGEBOX_WARNING, nullptr, caption.c_str(), text.c_str(), 2, buttons, nullptr};
    int pressed = 0;
    if (SDL_ShowMessageBox(&data, &pressed) != 0)
        return true;
    return pressed == 1;
}
