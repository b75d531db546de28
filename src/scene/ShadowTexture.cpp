#include "scene/ShadowTexture.h"

#include <GL/glext.h>

ShadowTexture ShadowTexture::make()
{
    constexpr int size = 256;
    ShadowTexture texture;
    texture.glName = newTexture();
    glBindTexture(GL_TEXTURE_2D, texture.glName.get());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    // The texture is only ever a target: its first contents do not matter.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, size, size, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE, nullptr);
    return texture;
}
