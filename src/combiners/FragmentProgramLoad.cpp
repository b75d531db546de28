#include "combiners/FragmentProgramLoad.h"

#include "shell/GlExtensions.h"

std::string loadFragmentProgram(GLuint program, const std::string& text)
{
    ext::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, program);
    ext::glProgramStringARB(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB,
                            static_cast<GLsizei>(text.size()), text.data());
    GLint errorPosition = -1;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPosition);
    if (errorPosition != -1) {
        const auto* message =
            reinterpret_cast<const char*>(glGetString(GL_PROGRAM_ERROR_STRING_ARB));
        return "fragment program rejected at character " + std::to_string(errorPosition) + ": " +
               (message != nullptr ? message : "");
    }
    GLint underLimits = GL_TRUE;
    if (ext::glGetProgramivARB != nullptr)
        ext::glGetProgramivARB(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_UNDER_NATIVE_LIMITS_ARB,
                               &underLimits);
    if (underLimits == GL_FALSE)
        return "fragment program exceeds the driver's native limits";
    return {};
}
