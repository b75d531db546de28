#pragma once

#include "image/TextureCache.h"

#include <GL/gl.h>

// A 2 x 2 texture, nearest filtering: red, green in row 0, blue, white in row 1. Needs the
// offscreen context to be current.
inline Texture checkerTexture()
{
    Texture texture("checker");
    texture.glName = newTexture();
    texture.width = texture.height = 2;
    texture.components = 4;
    glBindTexture(GL_TEXTURE_2D, texture.glName.get());
    const unsigned char texels[] = {255, 0, 0,   255, 0,   255, 0,   255,
                                    0,   0, 255, 255, 255, 255, 255, 255};
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}
