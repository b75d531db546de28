#pragma once

#include <GL/gl.h>

#include <string>

// Binds program to GL_FRAGMENT_PROGRAM_ARB (it stays bound) and loads text into it. Returns
// an empty string when the driver accepted the text and runs it within its native limits,
// otherwise what went wrong. Must not be called while a display list is being compiled, where
// the load would only be recorded.
std::string loadFragmentProgram(GLuint program, const std::string& text);
