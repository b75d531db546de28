#include "shell/Viewport.h"

#include <GL/gl.h>

// A bad aspect (0 with a zero width, NaN) must not reach an undefined float-to-int conversion.
static int truncateToInt(float value)
{
    if (!(value > -2.0e9f && value < 2.0e9f))
        return 0;
    return static_cast<int>(value);
}

ViewportRect letterboxViewport(int width, int height, float aspect)
{
    if (height == 0)
        height = 1;
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    const float target = aspect * h;
    float x = 0.0f;
    float y = 0.0f;
    float viewWidth = w;
    float viewHeight = h;
    if (w > target) {
        x = (w - target) * 0.5f;
        viewWidth = target;
    } else {
        viewHeight = w / aspect;
        y = (h - viewHeight) * 0.5f;
    }
    return {truncateToInt(x), truncateToInt(y), truncateToInt(viewWidth),
            truncateToInt(viewHeight)};
}

void resize(int width, int height, float aspect)
{
    const ViewportRect view = letterboxViewport(width, height, aspect);
    glViewport(view.x, view.y, view.width, view.height);
    glClear(GL_COLOR_BUFFER_BIT);
}
