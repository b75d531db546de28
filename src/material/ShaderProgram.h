#pragma once

#include "shell/GlHandle.h"

#include <GL/gl.h>

#include <string>

// One ARB vertex or fragment program, keyed by the name materials give it. Move-only owner of
// its GL program object, deleted with it (the GL context must still be current).
struct ShaderProgram {
    GlHandle programName;
    GLenum target = 0; // GL_VERTEX_PROGRAM_ARB or GL_FRAGMENT_PROGRAM_ARB
    std::string name;
};

// Enables the program's target and binds it there.
void bindProgram(const ShaderProgram& program);
