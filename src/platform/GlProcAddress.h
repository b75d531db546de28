#pragma once

// GL entry points are looked up through whichever layer made the current context: SDL for the
// player's window, EGL for the offscreen surface. The context's creator installs its lookup.
using GlProcedure = void (*)();
using GlProcLookup = GlProcedure (*)(const char* name);

// Null when no context has installed a lookup or the layer does not know the name. A non-null
// answer does not prove the driver implements it: check the extension or GL version first.
GlProcedure glProcAddress(const char* name);

void installGlProcLookup(GlProcLookup lookup);

// The two lookups the platform offers.
GlProcedure sdlGlProcAddress(const char* name);
GlProcedure eglGlProcAddress(const char* name);
