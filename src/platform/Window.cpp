#include "platform/Window.h"

#include "platform/GlProcAddress.h"
#include "platform/MessageBox.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <utility>

static constexpr const char* questionCaption = "Ardun{Quillomark}";
static constexpr std::size_t keptKeyPresses = 64;

static SDL_Window* asWindow(void* window)
{
    return static_cast<SDL_Window*>(window);
}

Window::~Window()
{
    destroy();
}

bool Window::create(const WindowRequest& request, ResizeHandler onResize)
{
    destroy();
    resizeHandler = std::move(onResize);
    quitAsked = false;
    isActive = true;
    keyStates.fill(false);
    keyPresses.clear();
    if (request.offscreen || !displayAvailable())
        return createOffscreen(request);
    return createOnScreen(request);
}

bool Window::fail(const char* message)
{
    destroy();
    showMessage("Error", message, MessageIcon::Warning);
    return false;
}

bool Window::createOffscreen(const WindowRequest& request)
{
    const int width = std::max(request.width, 1);
    const int height = std::max(request.height, 1);
    if (!request.offscreen) {
        std::fprintf(stderr,
                     "%s: no display found; rendering offscreen at %dx%d, nothing is shown\n",
                     request.title.c_str(), width, height);
        std::fflush(stderr);
    }
    // The event queue alone still turns SIGINT into the quit message.
    eventsStarted = SDL_InitSubSystem(SDL_INIT_EVENTS) == 0;
    if (const char* failure = surface.create(width, height, request.colourBits, request.zBits))
        return fail(failure);
    if (resizeHandler)
        resizeHandler(width, height);
    return true;
}

// Windows counts 32-bit modes as 32 bits; SDL calls their format 24 bits in 4 bytes.
static int modeBits(Uint32 format)
{
    return SDL_BYTESPERPIXEL(format) == 4 ? 32 : static_cast<int>(SDL_BITSPERPIXEL(format));
}

static Uint32 formatForBits(int colourBits)
{
    switch (colourBits) {
    case 8:
        return SDL_PIXELFORMAT_INDEX8;
    case 15:
        return SDL_PIXELFORMAT_RGB555;
    case 16:
        return SDL_PIXELFORMAT_RGB565;
    case 24:
        return SDL_PIXELFORMAT_RGB24;
    default:
        return SDL_PIXELFORMAT_RGB888;
    }
}

static void setGlAttributes(int colourBits, int zBits)
{
    const int red = colourBits <= 16 ? 5 : 8;
    const int green = colourBits == 16 ? 6 : red;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, red);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, green);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, red);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, colourBits >= 32 ? 8 : 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, std::max(zBits, 0));
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // Everything is fixed-function GL 1.x and ARB programs: never a core profile.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

bool Window::createOnScreen(const WindowRequest& request)
{
    const int width = std::max(request.width, 1);
    const int height = std::max(request.height, 1);
    isFullscreen = request.fullscreen;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        isFullscreen = false;
        // A display variable that names no reachable server is no display at all: the demo
        // still plays, offscreen.
        return createOffscreen(request);
    }
    videoStarted = true;
    SDL_DisableScreenSaver();

    // SDL quietly takes the closest larger mode for one the display lacks; anything but the
    // exact mode counts as not supported.
    SDL_DisplayMode closest{};
    if (isFullscreen) {
        const SDL_DisplayMode wanted{formatForBits(request.colourBits), width, height, 0, nullptr};
        const bool exact = SDL_GetClosestDisplayMode(0, &wanted, &closest) != nullptr &&
                           closest.w == width && closest.h == height &&
                           modeBits(closest.format) == request.colourBits;
        if (!exact) {
            if (askYesNo(questionCaption, "The Requested Fullscreen Mode Is Not Supported By\n"
                                          "Your Video Card. Use Windowed Mode Instead?")) {
                isFullscreen = false;
            } else {
                isFullscreen = false;
                destroy();
                showMessage("Error", "Program Will Now Close.", MessageIcon::Error);
                return false;
            }
        }
    }
    if (isFullscreen)
        SDL_ShowCursor(SDL_DISABLE);

    setGlAttributes(request.colourBits, request.zBits);
    // Size changes reach only resizable windows; the window stays hidden until the context is
    // ready.
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN |
                         (isFullscreen ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_RESIZABLE);
    sdlWindow = SDL_CreateWindow(request.title.c_str(), 0, 0, width, height, flags);
    if (!sdlWindow || (isFullscreen && SDL_SetWindowDisplayMode(asWindow(sdlWindow), &closest))) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return fail("Window Creation Error.");
    }
    glContext = SDL_GL_CreateContext(asWindow(sdlWindow));
    if (!glContext) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return fail("Can't Create A GL Rendering Context.");
    }
    if (SDL_GL_MakeCurrent(asWindow(sdlWindow), glContext) != 0) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return fail("Can't Activate The GL Rendering Context.");
    }
    installGlProcLookup(sdlGlProcAddress);
    // Left alone unless asked: the driver's own default (often a user setting) stands.
    if (request.swapInterval >= 0 && SDL_GL_SetSwapInterval(request.swapInterval) != 0)
        std::fprintf(stderr, "SDL: cannot set the swap interval: %s\n", SDL_GetError());

    SDL_ShowWindow(asWindow(sdlWindow));
    SDL_RaiseWindow(asWindow(sdlWindow));
    if (resizeHandler)
        resizeHandler(width, height);
    return true;
}

void Window::destroy()
{
    if (surface.isOpen()) {
        surface.destroy();
        installGlProcLookup(nullptr);
    }
    if (eventsStarted) {
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
        eventsStarted = false;
    }

    if (isFullscreen) {
        if (sdlWindow)
            SDL_SetWindowFullscreen(asWindow(sdlWindow), 0);
        SDL_ShowCursor(SDL_ENABLE);
        isFullscreen = false;
    }
    if (glContext) {
        if (SDL_GL_MakeCurrent(asWindow(sdlWindow), nullptr) != 0)
            showMessage("SHUTDOWN ERROR", "Release Of DC And RC Failed.", MessageIcon::Information);
        SDL_GL_DeleteContext(glContext);
        glContext = nullptr;
        installGlProcLookup(nullptr);
    }
    if (sdlWindow) {
        SDL_DestroyWindow(asWindow(sdlWindow));
        sdlWindow = nullptr;
    }
    if (videoStarted) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoStarted = false;
    }
}

void Window::drawableResized()
{
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(asWindow(sdlWindow), &width, &height);
    if (resizeHandler)
        resizeHandler(width, height);
}

void Window::handleEvent(const void* any)
{
    const SDL_Event& event = *static_cast<const SDL_Event*>(any);
    switch (event.type) {
    case SDL_QUIT:
        quitAsked = true;
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (const int code = virtualKeyCode(event.key.keysym.sym, event.key.keysym.scancode);
            code > 0 && code < 256) {
            keyStates[static_cast<std::size_t>(code)] = event.type == SDL_KEYDOWN;
            // Kept for a caller that takes them; the oldest go once nobody has for a while.
            if (keyPresses.size() >= keptKeyPresses)
                keyPresses.erase(keyPresses.begin());
            if (event.type == SDL_KEYDOWN)
                keyPresses.push_back(
                    {code, (event.key.keysym.mod & KMOD_SHIFT) != 0, event.key.repeat != 0});
        }
        break;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_MINIMIZED:
            isActive = false;
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_SHOWN:
            isActive = true;
            break;
        case SDL_WINDOWEVENT_CLOSE:
            quitAsked = true;
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            // The drawable, not the window, is what the viewport covers (they differ on HiDPI).
            if (sdlWindow)
                drawableResized();
            else if (resizeHandler)
                resizeHandler(event.window.data1, event.window.data2);
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
}

bool Window::pumpEvents()
{
    if (!videoStarted && !eventsStarted)
        return quitAsked;
    SDL_Event event;
    while (SDL_PollEvent(&event))
        handleEvent(&event);
    return quitAsked;
}

bool Window::stopPending()
{
    if (quitAsked)
        return true;
    if (!videoStarted && !eventsStarted)
        return false;
    // Gathers what arrived since the last pump (SIGINT and SIGTERM become SDL_QUIT here).
    SDL_PumpEvents();
    if (SDL_HasEvent(SDL_QUIT))
        return true;
    constexpr int peekLimit = 64;
    SDL_Event events[peekLimit];
    const int windowEvents =
        SDL_PeepEvents(events, peekLimit, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
    for (int i = 0; i < windowEvents; ++i)
        if (events[i].window.event == SDL_WINDOWEVENT_CLOSE)
            return true;
    const int keyDowns = SDL_PeepEvents(events, peekLimit, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_KEYDOWN);
    for (int i = 0; i < keyDowns; ++i)
        if (virtualKeyCode(events[i].key.keysym.sym, events[i].key.keysym.scancode) ==
            virtualKeyEscape)
            return true;
    return false;
}

void Window::waitForEvents(int milliseconds)
{
    if (videoStarted || eventsStarted)
        SDL_WaitEventTimeout(nullptr, milliseconds);
    else
        SDL_Delay(static_cast<Uint32>(milliseconds > 0 ? milliseconds : 0));
}

void Window::swapBuffers()
{
    if (sdlWindow)
        SDL_GL_SwapWindow(asWindow(sdlWindow));
    else
        surface.swapBuffers();
}

std::vector<KeyPress> Window::takeKeyPresses()
{
    std::vector<KeyPress> taken;
    taken.swap(keyPresses);
    return taken;
}

// The SDL key for a virtual-key code: the printable keys by their character, the others by
// their scancode's key.
static SDL_Keycode keycodeFor(int virtualKey)
{
    for (SDL_Keycode key = 1; key < 128; ++key)
        if (virtualKeyCode(key) == virtualKey)
            return key;
    for (int scancode = 1; scancode < SDL_NUM_SCANCODES; ++scancode) {
        const SDL_Keycode key = SDL_SCANCODE_TO_KEYCODE(scancode);
        if (virtualKeyCode(key) == virtualKey)
            return key;
    }
    return SDLK_UNKNOWN;
}

bool Window::postKeyPress(int virtualKey, bool shift)
{
    const SDL_Keycode key = keycodeFor(virtualKey);
    if (key == SDLK_UNKNOWN || (!videoStarted && !eventsStarted))
        return false;
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    event.key.keysym.mod = static_cast<Uint16>(shift ? KMOD_LSHIFT : KMOD_NONE);
    return SDL_PushEvent(&event) >= 0;
}
