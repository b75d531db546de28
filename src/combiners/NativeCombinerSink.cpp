#include "combiners/NativeCombinerSink.h"

#include "shell/GlExtensions.h"

GLint NativeCombinerSink::maxGeneralCombiners()
{
    GLint limit = 0;
    glGetIntegerv(GL_MAX_GENERAL_COMBINERS_NV, &limit);
    return limit;
}

// The loader resolves the stage entry point only where GL_NV_register_combiners2 is listed.
bool NativeCombinerSink::hasPerStageConstants()
{
    return ext::glCombinerStageParameterfvNV != nullptr;
}

void NativeCombinerSink::parameterfv(GLenum pname, const GLfloat value[4])
{
    ext::glCombinerParameterfvNV(pname, value);
}

void NativeCombinerSink::parameteri(GLenum pname, GLint value)
{
    ext::glCombinerParameteriNV(pname, value);
}

void NativeCombinerSink::stageParameterfv(GLenum stage, GLenum pname, const GLfloat value[4])
{
    ext::glCombinerStageParameterfvNV(stage, pname, value);
}

void NativeCombinerSink::perStageConstants(bool enable)
{
    if (enable)
        glEnable(GL_PER_STAGE_CONSTANTS_NV);
    else
        glDisable(GL_PER_STAGE_CONSTANTS_NV);
}

void NativeCombinerSink::input(GLenum stage, GLenum portion, GLenum variable, GLenum input,
                               GLenum mapping, GLenum componentUsage)
{
    ext::glCombinerInputNV(stage, portion, variable, input, mapping, componentUsage);
}

void NativeCombinerSink::output(GLenum stage, GLenum portion, GLenum abOutput, GLenum cdOutput,
                                GLenum sumOutput, GLenum scale, GLenum bias, GLboolean abDotProduct,
                                GLboolean cdDotProduct, GLboolean muxSum)
{
    ext::glCombinerOutputNV(stage, portion, abOutput, cdOutput, sumOutput, scale, bias,
                            abDotProduct, cdDotProduct, muxSum);
}

void NativeCombinerSink::finalInput(GLenum variable, GLenum input, GLenum mapping,
                                    GLenum componentUsage)
{
    ext::glFinalCombinerInputNV(variable, input, mapping, componentUsage);
}
