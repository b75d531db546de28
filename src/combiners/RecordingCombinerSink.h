#pragma once

#include "combiners/CombinerProgram.h"
#include "combiners/CombinerSink.h"

#include <string>
#include <vector>

// One emitted call: the GL function's name and its arguments as numbers (enumerants as their
// values, a vector as its four components, booleans as 0 or 1).
struct RecordedCombinerCall {
    std::string name;
    std::vector<double> args;

    bool operator==(const RecordedCombinerCall&) const = default;
};

// Keeps the emission as data instead of calling GL, with a chosen general-combiner limit and
// per-stage constants on or off; for tests and demo-inspect. The per-stage switch is recorded
// as "glEnable" or "glDisable" of GL_PER_STAGE_CONSTANTS_NV.
class RecordingCombinerSink final : public CombinerSink {
public:
    static constexpr GLint defaultLimit = static_cast<GLint>(maxGeneralCombinerCount);

    explicit RecordingCombinerSink(GLint limit = defaultLimit, bool perStage = true);

    void setMaxGeneralCombiners(GLint limit);
    void setPerStageConstants(bool available);
    const std::vector<RecordedCombinerCall>& calls() const;
    void clear();

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

private:
    GLint limit;
    bool perStage;
    std::vector<RecordedCombinerCall> recorded;
};
