#pragma once

// Resolves the entry points in GlExtensions.h for the current context, sets rectTextureTarget
// and applies the initial GL state. A missing required entry point throws LoadError with its
// text: "glMultiTexCoord2fARB unreachable", "glActiveTextureARB unreachable",
// "glVertexWeightfEXT unreachable" or "glDeleteProgramsARB unreachable". Returns true.
bool initialiseGL();

// The fixed initial state alone (lighting, fog, blending, alpha test, depth test, culling with
// clockwise front faces, sphere-map texgen modes on units 1 and 0, black clear colour, lights
// without ambient or specular). Leaves texture unit 0 active. Needs the entry points resolved.
void applyInitialGlState();

class Window;

// Opens the player's window (or the offscreen surface where no display exists) titled
// "Ardun{Quillomark}" with the display settings, keeps the letterbox viewport at aspect on
// every size change, and initialises GL. False when the window could not be made: its message
// has been shown. A missing required entry point throws LoadError.
struct DemoSettings;
bool openPlayerWindow(Window& window, const DemoSettings& settings, float aspect);
