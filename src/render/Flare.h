#pragma once

class Light;

// Draws the light's lens flare as a screen-aligned, additive billboard at the light's eye-space
// position. The caller pushes and pops the modelview matrix around it.
void drawFlare(Light& light, float t);
