#include "scene/Light.h"

#include "shell/LoadError.h"

#include <GL/gl.h>

namespace {
constexpr std::uint32_t firstProgramMatrix = 0x88C0; // GL_MATRIX0_ARB
constexpr std::int32_t glLightCount = 8;
} // namespace

Light::~Light()
{
    if (hasShadowTexture())
        glDeleteTextures(1, &shadowTexture);
}

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

std::uint32_t makeShadowTexture()
{
    constexpr int size = 256;
    // The texture is only ever a target: its first contents do not matter.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, size, size, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE, nullptr);
    return texture;
}
