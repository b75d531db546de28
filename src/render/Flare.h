#pragma once

class Light;

// Draws the light's lens flare as a screen-aligned, additive billboard at the light's eye-space
// position (a distant light's at its origin mirrored through the world origin). The caller
// pushes and pops the modelview matrix around it, which holds the view.
void drawFlare(Light& light, float t);
