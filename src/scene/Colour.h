#pragma once

// An RGBA colour record: scene files give red, green and blue; alpha is always 1.0.
struct Rgba {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 1.0f;
};
