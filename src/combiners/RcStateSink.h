#pragma once

#include "combiners/CombinerSink.h"
#include "combiners/RcState.h"

// Applies each emission call to an RcState as the GL_NV_register_combiners(2) entry points
// would: values are clamped where the driver clamps them, and a call the driver would refuse
// with an error (an enum it does not take there, an illegal scale and bias pair, two outputs to
// one register) changes nothing, so the slot keeps what it held.
class RcStateSink : public CombinerSink {
public:
    explicit RcStateSink(RcState& target) : state(target) {}

    GLint maxGeneralCombiners() override { return rcMaxGeneralCombiners; }
    bool hasPerStageConstants() override { return true; }

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

private:
    RcState& state;
};
