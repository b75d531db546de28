#pragma once

#include <vector>

// The one offscreen Mesa context of a test binary: created on first use, current for the rest
// of the run, with the entry points resolved and the initial state applied by initialiseGL().
// A different size replaces the surface (same context, so GL objects survive) and sets the
// viewport to the whole surface. Drawing and reading use GL_BACK of an EGL pbuffer, which keeps
// its contents, so glReadPixels and glCopyTexSubImage2D see what was just drawn.
void ensureOffscreenGl(int width = 256, int height = 256);

// Pixels of the drawn buffer, bottom row first, four bytes each.
std::vector<unsigned char> readPixelsRGBA(int x, int y, int w, int h);

// Returns to the state a fresh initialiseGL() leaves, plus GL's own defaults for what it does
// not set (matrices, bindings, texture units, programs, combiners, masks, blend and depth
// functions), the viewport over the whole surface and a cleared colour and depth buffer.
void resetGlState();

int offscreenWidth();
int offscreenHeight();
