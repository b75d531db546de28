#pragma once

#include <GL/gl.h>

// The 256 x 256 texture of a spot light with "ShadowType" 2. Move-only owner of its GL name,
// which is deleted with it (the GL context must still be current); empty until made.
class ShadowTexture {
public:
    ShadowTexture() = default;
    ShadowTexture(ShadowTexture&& other) noexcept;
    ShadowTexture& operator=(ShadowTexture&& other) noexcept;
    ShadowTexture(const ShadowTexture&) = delete;
    ShadowTexture& operator=(const ShadowTexture&) = delete;
    ~ShadowTexture();

    // A new texture on the current context; leaves it bound to GL_TEXTURE_2D.
    static ShadowTexture make();

    GLuint name() const { return glName; }

private:
    GLuint glName = 0;
};
