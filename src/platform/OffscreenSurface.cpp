#include "platform/OffscreenSurface.h"

#include "platform/GlProcAddress.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstring>

OffscreenSurface::~OffscreenSurface()
{
    destroy();
}

static bool clientHasExtension(const char* name)
{
    const char* list = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!list)
        return false;
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at; at = std::strstr(at + 1, name)) {
        const bool starts = at == list || at[-1] == ' ';
        const bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends)
            return true;
    }
    return false;
}

// The surfaceless platform needs neither X nor a GPU; the default display is the fallback for
// EGL libraries without it.
static EGLDisplay openDisplay()
{
    if (clientHasExtension("EGL_MESA_platform_surfaceless")) {
        auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (getPlatformDisplay) {
            EGLDisplay surfaceless =
                getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
            if (surfaceless != EGL_NO_DISPLAY && eglInitialize(surfaceless, nullptr, nullptr))
                return surfaceless;
        }
    }
    EGLDisplay fallback = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (fallback != EGL_NO_DISPLAY && eglInitialize(fallback, nullptr, nullptr))
        return fallback;
    return EGL_NO_DISPLAY;
}

const char* OffscreenSurface::create(int width, int height, int colourBits, int zBits)
{
    destroy();
    display = openDisplay();
    if (display == EGL_NO_DISPLAY) {
        display = nullptr;
        return "Can't Create A GL Device Context.";
    }

    // 32 bits carry alpha, as the window's pixel format does; 16 is 5-6-5.
    const EGLint red = colourBits <= 16 ? 5 : 8;
    const EGLint green = colourBits <= 16 ? 6 : 8;
    const EGLint alpha = colourBits >= 32 ? 8 : 0;
    const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                 EGL_PBUFFER_BIT,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,
                                 red,
                                 EGL_GREEN_SIZE,
                                 green,
                                 EGL_BLUE_SIZE,
                                 red,
                                 EGL_ALPHA_SIZE,
                                 alpha,
                                 EGL_DEPTH_SIZE,
                                 zBits,
                                 EGL_NONE};
    EGLConfig chosen = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, attributes, &chosen, 1, &count) || count < 1) {
        destroy();
        return "Can't Find A Suitable PixelFormat.";
    }
    config = chosen;
    if (!makeSurface(width, height)) {
        destroy();
        return "Can't Set The PixelFormat.";
    }
    // No version or profile attributes: a legacy context, which Mesa gives as the
    // compatibility profile of its highest version.
    if (!eglBindAPI(EGL_OPENGL_API) ||
        (context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr)) == EGL_NO_CONTEXT) {
        context = nullptr;
        destroy();
        return "Can't Create A GL Rendering Context.";
    }
    if (!eglMakeCurrent(display, surface, surface, context)) {
        destroy();
        return "Can't Activate The GL Rendering Context.";
    }
    installGlProcLookup(eglGlProcAddress);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    return nullptr;
}

bool OffscreenSurface::makeSurface(int width, int height)
{
    const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface made = eglCreatePbufferSurface(display, config, size);
    if (made == EGL_NO_SURFACE)
        return false;
    surface = made;
    surfaceWidth = width;
    surfaceHeight = height;
    return true;
}

OffscreenSurface::Size OffscreenSurface::largestSize() const
{
    if (!context)
        return {};
    // Mesa states a pbuffer limit of 4096 that it does not keep; its surfaces are textures, so
    // GL's texture and viewport limits are the real ones.
    GLint viewport[2] = {};
    GLint texture = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    return {std::min(texture, viewport[0]), std::min(texture, viewport[1])};
}

bool OffscreenSurface::resize(int width, int height)
{
    if (!context)
        return false;
    if (width == surfaceWidth && height == surfaceHeight)
        return true;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroySurface(display, surface);
    surface = nullptr;
    if (!makeSurface(width, height) || !eglMakeCurrent(display, surface, surface, context))
        return false;
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    return true;
}

bool OffscreenSurface::makeCurrent()
{
    if (!context || !eglBindAPI(EGL_OPENGL_API) ||
        !eglMakeCurrent(display, surface, surface, context))
        return false;
    installGlProcLookup(eglGlProcAddress);
    return true;
}

void OffscreenSurface::swapBuffers()
{
    // A pbuffer has no front buffer to show: finishing the frame is all a swap can mean.
    if (context)
        glFinish();
}

void OffscreenSurface::destroy()
{
    if (display) {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (context)
            eglDestroyContext(display, context);
        if (surface)
            eglDestroySurface(display, surface);
        // The display stays initialised: eglTerminate unloads Mesa's driver and loses memory
        // the driver still owns, and a later create finds the same display again.
        eglReleaseThread();
    }
    display = config = context = surface = nullptr;
    surfaceWidth = surfaceHeight = 0;
}
