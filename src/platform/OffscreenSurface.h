#pragma once

// An OpenGL compatibility context on an EGL pbuffer (Mesa's surfaceless platform where it
// exists, else the default display): the player's stand-in for a window where no display
// exists, and the context of every pixel test. Drawing and reading both use GL_BACK, and the
// colour buffer keeps its contents after swapBuffers(), so glCopyTexSubImage2D and glReadPixels
// see what was drawn, as they do on a double-buffered window before the swap.
class OffscreenSurface {
public:
    OffscreenSurface() = default;
    OffscreenSurface(const OffscreenSurface&) = delete;
    OffscreenSurface& operator=(const OffscreenSurface&) = delete;
    ~OffscreenSurface();

    // Makes the context current and installs EGL's GL procedure lookup. Returns null on success,
    // else the window-creation message of the step that failed ("Can't Create A GL Device
    // Context." for the display, "Can't Find A Suitable PixelFormat." for the configuration,
    // "Can't Set The PixelFormat." for the surface, "Can't Create A GL Rendering Context.",
    // "Can't Activate The GL Rendering Context."); what was made is torn down again.
    const char* create(int width, int height, int colourBits = 32, int zBits = 24);

    // The largest surface the driver draws into whole: GL's texture and viewport limits,
    // whichever is smaller. Only while open.
    struct Size {
        int width = 0;
        int height = 0;
    };
    Size largestSize() const;

    // A new surface of the given size for the same context; its contents are undefined.
    bool resize(int width, int height);

    // Current again on this thread, after another context was (the player's window in a test).
    bool makeCurrent();

    void swapBuffers();
    void destroy();

    bool isOpen() const { return context != nullptr; }
    int width() const { return surfaceWidth; }
    int height() const { return surfaceHeight; }

private:
    bool makeSurface(int width, int height);

    void* display = nullptr;
    void* config = nullptr;
    void* context = nullptr;
    void* surface = nullptr;
    int surfaceWidth = 0;
    int surfaceHeight = 0;
};
