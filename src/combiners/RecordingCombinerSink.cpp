#include "combiners/RecordingCombinerSink.h"

namespace {

// Every argument as a number; enumerants, integers and floats are all exact in a double.
template <typename... Values> std::vector<double> numbers(Values... values)
{
    return {static_cast<double>(values)...};
}

} // namespace

RecordingCombinerSink::RecordingCombinerSink(GLint limit, bool perStage)
    : limit(limit), perStage(perStage)
{
}

void RecordingCombinerSink::setMaxGeneralCombiners(GLint newLimit)
{
    limit = newLimit;
}

void RecordingCombinerSink::setPerStageConstants(bool available)
{
    perStage = available;
}

const std::vector<RecordedCombinerCall>& RecordingCombinerSink::calls() const
{
    return recorded;
}

void RecordingCombinerSink::clear()
{
    recorded.clear();
}

GLint RecordingCombinerSink::maxGeneralCombiners()
{
    return limit;
}

bool RecordingCombinerSink::hasPerStageConstants()
{
    return perStage;
}

void RecordingCombinerSink::parameterfv(GLenum pname, const GLfloat value[4])
{
    recorded.push_back(
        {"glCombinerParameterfvNV", numbers(pname, value[0], value[1], value[2], value[3])});
}

void RecordingCombinerSink::parameteri(GLenum pname, GLint value)
{
    recorded.push_back({"glCombinerParameteriNV", numbers(pname, value)});
}

void RecordingCombinerSink::stageParameterfv(GLenum stage, GLenum pname, const GLfloat value[4])
{
    recorded.push_back({"glCombinerStageParameterfvNV",
                        numbers(stage, pname, value[0], value[1], value[2], value[3])});
}

void RecordingCombinerSink::perStageConstants(bool enable)
{
    recorded.push_back({enable ? "glEnable" : "glDisable", numbers(GL_PER_STAGE_CONSTANTS_NV)});
}

void RecordingCombinerSink::input(GLenum stage, GLenum portion, GLenum variable, GLenum input,
                                  GLenum mapping, GLenum componentUsage)
{
    recorded.push_back(
        {"glCombinerInputNV", numbers(stage, portion, variable, input, mapping, componentUsage)});
}

void RecordingCombinerSink::output(GLenum stage, GLenum portion, GLenum abOutput, GLenum cdOutput,
                                   GLenum sumOutput, GLenum scale, GLenum bias,
                                   GLboolean abDotProduct, GLboolean cdDotProduct, GLboolean muxSum)
{
    recorded.push_back(
        {"glCombinerOutputNV", numbers(stage, portion, abOutput, cdOutput, sumOutput, scale, bias,
                                       abDotProduct, cdDotProduct, muxSum)});
}

void RecordingCombinerSink::finalInput(GLenum variable, GLenum input, GLenum mapping,
                                       GLenum componentUsage)
{
    recorded.push_back(
        {"glFinalCombinerInputNV", numbers(variable, input, mapping, componentUsage)});
}
