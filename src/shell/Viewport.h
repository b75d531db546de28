#pragma once

// The letterbox rectangle that keeps the picture at aspect (width over height) inside a
// window of the given size, with black bars left and right or above and below. A height of 0
// counts as 1; every value is truncated toward zero.
struct ViewportRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

ViewportRect letterboxViewport(int width, int height, float aspect);

// Sets the letterbox viewport, then clears the colour buffer (the bars stay black).
void resize(int width, int height, float aspect);
