#include "scene/ShadowTexture.h"

#include <GL/glext.h>

#include <utility>

ShadowTexture::ShadowTexture(ShadowTexture&& other) noexcept
    : glName(std::exchange(other.glName, 0))
{
}

ShadowTexture& ShadowTexture::operator=(ShadowTexture&& other) noexcept
{
    if (this != &other) {
        if (glName != 0)
            glDeleteTextures(1, &glName);
        glName = std::exchange(other.glName, 0);
    }
    return *this;
}

ShadowTexture::~ShadowTexture()
{
    if (glName != 0)
        glDeleteTextures(1, &glName);
}

ShadowTexture ShadowTexture::make()
{
    constexpr int size = 256;
    ShadowTexture texture;
    glGenTextures(1, &texture.glName);
    glBindTexture(GL_TEXTURE_2D, texture.glName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    // The texture is only ever a target: its first contents do not matter.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, size, size, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE, nullptr);
    return texture;
}
