#pragma once

#include <string>

class OffscreenSurface;

// A JSON string literal: quotes, backslashes and control characters escaped.
std::string jsonString(const std::string& text);

// Nine significant digits read back as the same float; JSON has no infinities or NaN, so
// those print as null.
std::string jsonNumber(float value);

// A small offscreen GL context with the player's initial state, for subcommands that load
// textures or meshes. Prints the failure and returns false when none can be made. The surface
// must outlive everything that holds GL objects.
bool openInspectContext(OffscreenSurface& surface);
