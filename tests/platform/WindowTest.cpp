#include "platform/Window.h"

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

void pushWindowEvent(SDL_WindowEventID id, int data1 = 0, int data2 = 0)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = static_cast<Uint8>(id);
    event.window.data1 = data1;
    event.window.data2 = data2;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void pushKey(SDL_Keycode key, bool down, SDL_Scancode position = SDL_SCANCODE_UNKNOWN)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = position;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

class OffscreenWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        WindowRequest request;
        request.title = "Ardun{Quillomark}";
        request.width = 320;
        request.height = 200;
        request.offscreen = true;
        ASSERT_TRUE(window.create(request, [this](int w, int h) { sizes.emplace_back(w, h); }));
    }

    Window window;
    std::vector<std::pair<int, int>> sizes;
};

} // namespace

TEST_F(OffscreenWindow, CreatesAContextAndSizesTheViewportOnce)
{
    EXPECT_TRUE(window.isOpen());
    EXPECT_TRUE(window.isOffscreen());
    EXPECT_TRUE(window.active());
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0], std::make_pair(320, 200));

    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    window.swapBuffers();
    // After the swap the drawn buffer is still readable, as tests and capture rely on.
    unsigned char pixel[4] = {};
    glReadPixels(319, 199, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(pixel[0], 0);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 24);

    window.destroy();
    EXPECT_FALSE(window.isOpen());
    window.destroy();
}

TEST_F(OffscreenWindow, MinimiseStopsActivityAndRestoreResumesIt)
{
    pushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    EXPECT_FALSE(window.pumpEvents());
    EXPECT_FALSE(window.active());
    // Losing focus without minimising keeps the demo running, as the window procedure does.
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    pushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    window.pumpEvents();
    EXPECT_TRUE(window.active());
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    window.pumpEvents();
    EXPECT_TRUE(window.active());
}

TEST_F(OffscreenWindow, KeysAreHeldBetweenDownAndUpByVirtualKeyCode)
{
    pushKey(SDLK_ESCAPE, true);
    pushKey(SDLK_a, true);
    window.pumpEvents();
    EXPECT_TRUE(window.keys()[virtualKeyEscape]);
    EXPECT_TRUE(window.keys()['A']);
    pushKey(SDLK_ESCAPE, false);
    window.pumpEvents();
    EXPECT_FALSE(window.keys()[virtualKeyEscape]);
    EXPECT_TRUE(window.keys()['A']);
    // A key with no virtual-key code changes nothing.
    pushKey(SDLK_AUDIOPLAY, true);
    window.pumpEvents();
    int held = 0;
    for (const bool down : window.keys())
        held += down ? 1 : 0;
    EXPECT_EQ(held, 1);

    // A French keyboard's 1 key gives the keycode '&'; the player still sees the digit.
    pushKey(SDLK_AMPERSAND, true, SDL_SCANCODE_1);
    window.pumpEvents();
    EXPECT_TRUE(window.keys()['1']);
    pushKey(SDLK_AMPERSAND, false, SDL_SCANCODE_1);
    window.pumpEvents();
    EXPECT_FALSE(window.keys()['1']);
}

TEST_F(OffscreenWindow, SizeChangesReachTheResizeHandlerAndCloseIsQuit)
{
    pushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1024, 600);
    EXPECT_FALSE(window.pumpEvents());
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[1], std::make_pair(1024, 600));

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_TRUE(window.pumpEvents());
    // The quit stays asked for: later pumps keep answering true.
    EXPECT_TRUE(window.pumpEvents());
    EXPECT_TRUE(window.quitRequested());
}

TEST(WindowWithoutDisplay, FallsBackToTheOffscreenSurfaceAndSaysSo)
{
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const std::string savedDisplay = display ? display : "";
    const std::string savedWayland = wayland ? wayland : "";
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");

    WindowRequest request;
    request.title = "Ardun{Quillomark}";
    request.width = 64;
    request.height = 48;
    request.fullscreen = true;
    Window window;
    testing::internal::CaptureStderr();
    const bool created = window.create(request, nullptr);
    const std::string said = testing::internal::GetCapturedStderr();
    if (display)
        setenv("DISPLAY", savedDisplay.c_str(), 1);
    if (wayland)
        setenv("WAYLAND_DISPLAY", savedWayland.c_str(), 1);

    ASSERT_TRUE(created);
    EXPECT_TRUE(window.isOffscreen());
    EXPECT_FALSE(window.fullscreen());
    EXPECT_EQ(said, "Ardun{Quillomark}: no display found; rendering offscreen at 64x48, nothing "
                    "is shown\n");
}

TEST(Keys, SdlKeysTranslateToVirtualKeyCodes)
{
    EXPECT_EQ(virtualKeyCode(SDLK_ESCAPE), 27);
    EXPECT_EQ(virtualKeyCode(SDLK_a), 'A');
    EXPECT_EQ(virtualKeyCode(SDLK_z), 'Z');
    EXPECT_EQ(virtualKeyCode(SDLK_0), '0');
    EXPECT_EQ(virtualKeyCode(SDLK_9), '9');
    EXPECT_EQ(virtualKeyCode(SDLK_F1), 0x70);
    EXPECT_EQ(virtualKeyCode(SDLK_F12), 0x7B);
    EXPECT_EQ(virtualKeyCode(SDLK_LEFT), 0x25);
    EXPECT_EQ(virtualKeyCode(SDLK_UP), 0x26);
    EXPECT_EQ(virtualKeyCode(SDLK_RIGHT), 0x27);
    EXPECT_EQ(virtualKeyCode(SDLK_DOWN), 0x28);
    EXPECT_EQ(virtualKeyCode(SDLK_SPACE), 0x20);
    EXPECT_EQ(virtualKeyCode(SDLK_RETURN), 0x0D);
    EXPECT_EQ(virtualKeyCode(SDLK_KP_ENTER), 0x0D);
    EXPECT_EQ(virtualKeyCode(SDLK_KP_0), 0x60);
    EXPECT_EQ(virtualKeyCode(SDLK_KP_9), 0x69);
    EXPECT_EQ(virtualKeyCode(SDLK_LSHIFT), virtualKeyCode(SDLK_RSHIFT));
    // SDL's scancode-based keycodes lie far above 255 and must not alias a real key.
    EXPECT_EQ(virtualKeyCode(SDLK_AUDIOPLAY), 0);
    EXPECT_EQ(virtualKeyCode(SDLK_UNKNOWN), 0);

    // With the key's position: the number row is digits on every layout (French: '&', 0xE9
    // for e-acute, '-' for 6), a letter key without a Latin letter (Russian) is its US letter,
    // and a Latin letter follows the layout (French A sits where the US Q is).
    EXPECT_EQ(virtualKeyCode(SDLK_AMPERSAND, SDL_SCANCODE_1), '1');
    EXPECT_EQ(virtualKeyCode(0xE9, SDL_SCANCODE_2), '2');
    EXPECT_EQ(virtualKeyCode(SDLK_MINUS, SDL_SCANCODE_6), '6');
    EXPECT_EQ(virtualKeyCode(0xE0, SDL_SCANCODE_0), '0');
    EXPECT_EQ(virtualKeyCode(0x444, SDL_SCANCODE_A), 'A');
    EXPECT_EQ(virtualKeyCode(SDLK_a, SDL_SCANCODE_Q), 'A');
    EXPECT_EQ(virtualKeyCode(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), 27);
    EXPECT_EQ(virtualKeyCode(SDLK_MINUS, SDL_SCANCODE_MINUS), 0xBD);
    EXPECT_EQ(virtualKeyCode(0x436, SDL_SCANCODE_SEMICOLON), 0);
}

// These need a display; CTest runs them under xvfb-run where it exists.
class OnScreenWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display";
        setenv("DEMOPLAYER_NO_MESSAGE_BOXES", "1", 1);
        request.title = "Ardun{Quillomark}";
        request.width = 320;
        request.height = 240;
    }

    WindowRequest request;
    std::vector<std::pair<int, int>> sizes;
    Window::ResizeHandler record()
    {
        return [this](int w, int h) { sizes.emplace_back(w, h); };
    }
};

TEST_F(OnScreenWindow, WindowedHasADoubleBufferedContextWithDepth)
{
    Window window;
    ASSERT_TRUE(window.create(request, record()));
    EXPECT_FALSE(window.isOffscreen());
    EXPECT_FALSE(window.fullscreen());
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes[0], std::make_pair(320, 240));

    GLboolean doubleBuffered = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    EXPECT_TRUE(doubleBuffered);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 24);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glReadBuffer(GL_BACK);
    unsigned char pixel[4] = {};
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[2], 255);
    window.swapBuffers();
    EXPECT_FALSE(window.pumpEvents());
    window.destroy();
    EXPECT_FALSE(window.isOpen());
}

TEST_F(OnScreenWindow, AMissingFullscreenModeFallsBackToAWindowOnYes)
{
    request.width = 123;
    request.height = 45;
    request.fullscreen = true;
    Window window;
    testing::internal::CaptureStderr();
    const bool created = window.create(request, record());
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(created);
    EXPECT_FALSE(window.fullscreen());
    EXPECT_NE(said.find("Ardun{Quillomark}: The Requested Fullscreen Mode Is Not Supported By\n"
                        "Your Video Card. Use Windowed Mode Instead?"),
              std::string::npos)
        << said;
}

TEST_F(OnScreenWindow, TheDesktopModeGoesFullscreen)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    SDL_DisplayMode desktop{};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    request.width = desktop.w;
    request.height = desktop.h;
    request.colourBits = SDL_BYTESPERPIXEL(desktop.format) == 4 ? 32 : 16;
    request.fullscreen = true;
    Window window;
    ASSERT_TRUE(window.create(request, record()));
    EXPECT_TRUE(window.fullscreen());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    window.destroy();
    EXPECT_FALSE(window.fullscreen());
}
