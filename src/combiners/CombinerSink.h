#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

// Where a compiled register-combiner script goes: one call per GL entry point of the emission,
// in the emission's order. The native sink calls the GL_NV_register_combiners(2) entry points
// (recorded into the open display list), the emulated sink fills a software copy of that state
// for an ARB fragment program, and the recording sink keeps the calls as data.
class CombinerSink {
public:
    CombinerSink() = default;
    CombinerSink(const CombinerSink&) = delete;
    CombinerSink& operator=(const CombinerSink&) = delete;
    virtual ~CombinerSink() = default;

    // GL_MAX_GENERAL_COMBINERS_NV as the backend reports it (not yet limited to 8).
    virtual GLint maxGeneralCombiners() = 0;
    // Whether glCombinerStageParameterfvNV (per-stage constants) can be used.
    virtual bool hasPerStageConstants() = 0;

    // glCombinerParameterfvNV: a global constant colour.
    virtual void parameterfv(GLenum pname, const GLfloat value[4]) = 0;
    // glCombinerParameteriNV: GL_NUM_GENERAL_COMBINERS_NV and GL_COLOR_SUM_CLAMP_NV.
    virtual void parameteri(GLenum pname, GLint value) = 0;
    // glCombinerStageParameterfvNV: a constant colour of one stage (GL_COMBINER0_NV + i).
    virtual void stageParameterfv(GLenum stage, GLenum pname, const GLfloat value[4]) = 0;
    // glEnable (true) or glDisable (false) of GL_PER_STAGE_CONSTANTS_NV.
    virtual void perStageConstants(bool enable) = 0;
    // glCombinerInputNV.
    virtual void input(GLenum stage, GLenum portion, GLenum variable, GLenum input, GLenum mapping,
                       GLenum componentUsage) = 0;
    // glCombinerOutputNV.
    virtual void output(GLenum stage, GLenum portion, GLenum abOutput, GLenum cdOutput,
                        GLenum sumOutput, GLenum scale, GLenum bias, GLboolean abDotProduct,
                        GLboolean cdDotProduct, GLboolean muxSum) = 0;
    // glFinalCombinerInputNV.
    virtual void finalInput(GLenum variable, GLenum input, GLenum mapping,
                            GLenum componentUsage) = 0;
};
