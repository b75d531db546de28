#include "scene/Light.h"

#include "shell/LoadError.h"

#include <GL/gl.h>

namespace {
constexpr std::uint32_t firstProgramMatrix = 0x88C0; // GL_MATRIX0_ARB
constexpr std::int32_t glLightCount = 8;
} // namespace

std::uint32_t glLightFor(std::int32_t n)
{
    if (n < 0 || n >= glLightCount)
        throw LoadError("This Light does not exist");
    return GL_LIGHT0 + static_cast<std::uint32_t>(n);
}

std::uint32_t programMatrixFor(std::int32_t n)
{
    if (n < 0 || n >= glLightCount)
        throw LoadError("This Matrix does not exist");
    return firstProgramMatrix + static_cast<std::uint32_t>(n);
}
