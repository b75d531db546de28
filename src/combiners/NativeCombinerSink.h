#pragma once

#include "combiners/CombinerSink.h"

// Emits straight into GL through the GL_NV_register_combiners(2) entry points, so that a
// display list open in GL_COMPILE mode records the whole set-up. Needs a current context whose
// driver lists GL_NV_register_combiners.
class NativeCombinerSink final : public CombinerSink {
public:
    GLint maxGeneralCombiners() override;
    bool hasPerStageConstants() override;
    void parameterfv(GLenum pname, const GLfloat value[4]) override;
    void parameteri(GLenum pname, GLint value) override;
    void stageParameterfv(GLenum stage, GLenum pname, const GLfloat value[4]) override;
    void perStageConstants(bool enable) override;
    void input(GLenum stage, GLenum portion, GLenum variable, GLenum input, GLenum mapping,
               GLenum componentUsage) override;
    void output(GLenum stage, GLenum portion, GLenum abOutput, GLenum cdOutput, GLenum sumOutput,
                GLenum scale, GLenum bias, GLboolean abDotProduct, GLboolean cdDotProduct,
                GLboolean muxSum) override;
    void finalInput(GLenum variable, GLenum input, GLenum mapping, GLenum componentUsage) override;
};
