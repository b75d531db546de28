#pragma once

#include "shell/GlHandle.h"

#include <GL/gl.h>

// The 256 x 256 texture of a spot light with "ShadowType" 2; empty until made. Its GL name is
// deleted with it (the GL context must still be current).
class ShadowTexture {
public:
    // A new texture on the current context; leaves it bound to GL_TEXTURE_2D.
    static ShadowTexture make();

    GLuint name() const { return glName.get(); }

private:
    GlHandle glName;
};
