#include "combiners/CombinerEmission.h"

#include "combiners/CombinerProgram.h"
#include "combiners/CombinerSink.h"

namespace {

// The mapping of zero that equals the given mapping of one (1 for both identities and expand).
GLenum zeroMappingForOne(GLenum oneMapping, bool finalCombiner)
{
    switch (oneMapping) {
    case GL_SIGNED_NEGATE_NV:
    case GL_EXPAND_NEGATE_NV:
        return GL_EXPAND_NORMAL_NV; // -1
    case GL_UNSIGNED_INVERT_NV:
        return finalCombiner ? GL_UNSIGNED_IDENTITY_NV : GL_SIGNED_IDENTITY_NV; // 0
    case GL_HALF_BIAS_NORMAL_NV:
        return GL_HALF_BIAS_NEGATE_NV; // 0.5
    case GL_HALF_BIAS_NEGATE_NV:
        return GL_HALF_BIAS_NORMAL_NV; // -0.5
    default:
        return GL_UNSIGNED_INVERT_NV; // 1
    }
}

void replaceOne(CombinerInput& input, bool finalCombiner)
{
    if (input.reg.name != GL_ONE)
        return;
    input.reg.name = GL_ZERO;
    input.mapping = zeroMappingForOne(input.mapping, finalCombiner);
}

GLenum componentUsage(CombinerChannel channel)
{
    switch (channel) {
    case CombinerChannel::alpha:
        return GL_ALPHA;
    case CombinerChannel::blue:
        return GL_BLUE;
    default:
        return GL_RGB;
    }
}

GLboolean isType(const CombinerOperation& operation, CombinerOperationType type)
{
    return operation.type == type ? GL_TRUE : GL_FALSE;
}

void emitPortion(const CombinerPortion& portion, GLenum stage, CombinerSink& sink)
{
    const auto& operations = portion.operations;
    GLenum variable = GL_VARIABLE_A_NV;
    for (std::size_t i = 0; i < 2; ++i)
        for (const CombinerInput& input : operations[i].inputs)
            sink.input(stage, portion.designator, variable++, input.reg.name, input.mapping,
                       componentUsage(input.reg.channel));
    sink.output(stage, portion.designator, operations[0].output.name, operations[1].output.name,
                operations[2].output.name, portion.scale, portion.bias,
                isType(operations[0], CombinerOperationType::dot),
                isType(operations[1], CombinerOperationType::dot),
                isType(operations[2], CombinerOperationType::mux));
}

} // namespace

void replaceOneByZero(CombinerProgram& program)
{
    for (GeneralCombiner& combiner : program.generalCombiners)
        for (CombinerPortion& portion : combiner.portions)
            for (CombinerOperation& operation : portion.operations)
                for (CombinerInput& input : operation.inputs)
                    replaceOne(input, false);
    for (CombinerInput& input : program.finalCombiner.inputs)
        replaceOne(input, true);
}

void emitCombinerProgram(const CombinerProgram& program, bool perStageConstants, CombinerSink& sink)
{
    for (const CombinerConstant& global : program.globalConstants)
        sink.parameterfv(global.name, global.value.data());

    const auto& combiners = program.generalCombiners;
    sink.parameteri(GL_NUM_GENERAL_COMBINERS_NV, static_cast<GLint>(combiners.size()));
    bool anyLocal = false;
    for (std::size_t i = 0; i < combiners.size(); ++i) {
        const GeneralCombiner& combiner = combiners[i];
        const GLenum stage = GL_COMBINER0_NV + static_cast<GLenum>(i);
        anyLocal = anyLocal || !combiner.localConstants.empty();
        if (perStageConstants) {
            for (const CombinerConstant& local : combiner.localConstants)
                sink.stageParameterfv(stage, local.name, local.value.data());
            for (const CombinerConstant& received : combiner.receivedConstants)
                sink.stageParameterfv(stage, received.name, received.value.data());
        }
        for (const CombinerPortion& portion : combiner.portions)
            emitPortion(portion, stage, sink);
    }
    if (perStageConstants)
        sink.perStageConstants(anyLocal);

    sink.parameteri(GL_COLOR_SUM_CLAMP_NV, program.finalCombiner.clampColorSum ? 1 : 0);
    GLenum variable = GL_VARIABLE_A_NV;
    for (const CombinerInput& input : program.finalCombiner.inputs)
        sink.finalInput(variable++, input.reg.name, input.mapping,
                        componentUsage(input.reg.channel));
}
