#pragma once

// The player's one window and OpenGL context, over SDL2; where no display exists (or when asked
// for), the offscreen EGL surface at the same size instead: same rendering, nothing shown.
//
// How the player uses it:
//
//     Window window;                     // DemoSession::window, destroyed after the player
//     if (!openPlayerWindow(window, settings, aspect))   // shell/GlStartup.h: create() with
//         return 1;                      // the letterbox resize, then initialiseGL(); on false
//     ...                                // the failure's message has been shown already
//     while (!window.pumpEvents()) {     // drains all pending events; true once quit is asked
//         if (!window.active()) {        // minimised: draw nothing, the music plays on
//             window.waitForEvents(10);  // rather than spinning on the event queue
//             continue;
//         }
//         ... draw the frame ...
//         if (window.keys()[virtualKeyEscape])
//             break;
//         window.swapBuffers();
//     }
//     window.destroy();                  // also done by the destructor; safe when half-made
//
// pumpEvents() is the window procedure: minimise and restore set active(), key down and up set
// keys() by Windows virtual-key code (platform/Keys.h), a size change calls the resize handler
// with the new drawable size, and closing the window (or SIGINT) is the quit message. create()
// calls the resize handler once with the requested size before it returns. The screen saver
// and display power-down stay off while the window exists.

#include "platform/Keys.h"
#include "platform/OffscreenSurface.h"

#include <functional>
#include <string>
#include <vector>

struct WindowRequest {
    std::string title;
    int width = 640;
    int height = 480;
    int colourBits = 32;
    int zBits = 24;
    bool fullscreen = false;
    bool offscreen = false; // the EGL surface even where a display exists
    int swapInterval = -1;  // 1 waits for the display's refresh, 0 does not, -1 the driver's
};

// One key going down, in the order the events came.
struct KeyPress {
    int code = 0;        // Windows virtual-key code (platform/Keys.h)
    bool shift = false;  // either Shift key held with it
    bool repeat = false; // produced by holding the key down
};

class Window {
public:
    using ResizeHandler = std::function<void(int width, int height)>;

    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    ~Window();

    // False after a failure: its message has been shown (caption "Error") and what was made has
    // been torn down again. Refusing the windowed fallback for a missing fullscreen mode shows
    // "Program Will Now Close." and returns false too.
    bool create(const WindowRequest& request, ResizeHandler onResize);

    // Reverses create, reporting failures under "SHUTDOWN ERROR" and carrying on.
    void destroy();

    // Handles every pending event; returns true once quitting has been asked for (and from then
    // on).
    bool pumpEvents();
    // Sleeps until an event is pending or the time has passed; leaves the event queued.
    void waitForEvents(int milliseconds);
    void swapBuffers();

    bool isOpen() const { return sdlWindow != nullptr || surface.isOpen(); }
    bool isOffscreen() const { return surface.isOpen(); }
    bool fullscreen() const { return isFullscreen; }
    bool active() const { return isActive; }
    const KeyStates& keys() const { return keyStates; }
    bool quitRequested() const { return quitAsked; }
    // True when a quit, a window close or an Escape press waits in the queue (or quitting was
    // seen already); the events stay queued for pumpEvents. For checks in the middle of a frame.
    bool stopPending();
    // The key presses pumpEvents() has seen since the last call, oldest first.
    std::vector<KeyPress> takeKeyPresses();

    // Queues a key going down, as the keyboard would, for pumpEvents() to handle (tests and
    // scripted runs); the key then counts as held. False for a code without a key or without an
    // event queue.
    bool postKeyPress(int virtualKey, bool shift = false);

private:
    bool createOffscreen(const WindowRequest& request);
    bool createOnScreen(const WindowRequest& request);
    bool fail(const char* message);
    void handleEvent(const void* event);
    void drawableResized();

    ResizeHandler resizeHandler;
    OffscreenSurface surface;
    void* sdlWindow = nullptr;
    void* glContext = nullptr;
    bool videoStarted = false;
    bool eventsStarted = false;
    bool isFullscreen = false;
    bool isActive = true;
    bool quitAsked = false;
    KeyStates keyStates{};
    std::vector<KeyPress> keyPresses;
};
