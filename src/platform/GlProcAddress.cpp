#include "platform/GlProcAddress.h"

#include <EGL/egl.h>
#include <SDL.h>

static GlProcLookup currentLookup = nullptr;

GlProcedure glProcAddress(const char* name)
{
    return currentLookup ? currentLookup(name) : nullptr;
}

void installGlProcLookup(GlProcLookup lookup)
{
    currentLookup = lookup;
}

GlProcedure sdlGlProcAddress(const char* name)
{
    return reinterpret_cast<GlProcedure>(SDL_GL_GetProcAddress(name));
}

GlProcedure eglGlProcAddress(const char* name)
{
    return reinterpret_cast<GlProcedure>(eglGetProcAddress(name));
}
