#include "combiners/RcStateSink.h"

#include <algorithm>
#include <optional>

namespace {

// Constant colours are clamped to [0, 1] when they are set.
RcColour clampedColour(const GLfloat value[4])
{
    RcColour colour{};
    for (std::size_t i = 0; i < colour.size(); ++i)
        colour[i] = std::clamp(value[i], 0.0f, 1.0f);
    return colour;
}

std::optional<int> constantIndex(GLenum pname)
{
    if (pname == GL_CONSTANT_COLOR0_NV)
        return 0;
    if (pname == GL_CONSTANT_COLOR1_NV)
        return 1;
    return std::nullopt;
}

std::optional<int> stageIndex(GLenum stage)
{
    if (stage < GL_COMBINER0_NV || stage >= GL_COMBINER0_NV + rcMaxGeneralCombiners)
        return std::nullopt;
    return static_cast<int>(stage - GL_COMBINER0_NV);
}

bool isTextureRegister(GLenum reg)
{
    return reg >= GL_TEXTURE0_ARB && reg < GL_TEXTURE0_ARB + rcTextureUnits;
}

// Registers a general combiner may write.
bool isWritable(GLenum reg)
{
    return reg == GL_PRIMARY_COLOR_NV || reg == GL_SECONDARY_COLOR_NV || reg == GL_SPARE0_NV ||
           reg == GL_SPARE1_NV || isTextureRegister(reg);
}

// Registers any combiner may read.
bool isReadable(GLenum reg)
{
    return isWritable(reg) || reg == GL_ZERO || reg == GL_CONSTANT_COLOR0_NV ||
           reg == GL_CONSTANT_COLOR1_NV || reg == GL_FOG;
}

bool isMapping(GLenum mapping)
{
    switch (mapping) {
    case GL_UNSIGNED_IDENTITY_NV:
    case GL_UNSIGNED_INVERT_NV:
    case GL_EXPAND_NORMAL_NV:
    case GL_EXPAND_NEGATE_NV:
    case GL_HALF_BIAS_NORMAL_NV:
    case GL_HALF_BIAS_NEGATE_NV:
    case GL_SIGNED_IDENTITY_NV:
    case GL_SIGNED_NEGATE_NV:
        return true;
    default:
        return false;
    }
}

bool isLegalScaleAndBias(GLenum scale, GLenum bias)
{
    const bool scaleKnown = scale == GL_NONE || scale == GL_SCALE_BY_TWO_NV ||
                            scale == GL_SCALE_BY_FOUR_NV || scale == GL_SCALE_BY_ONE_HALF_NV;
    const bool biasKnown = bias == GL_NONE || bias == GL_BIAS_BY_NEGATIVE_ONE_HALF_NV;
    // A bias only goes with no scale or a scale by two.
    const bool pairAllowed = bias == GL_NONE || scale == GL_NONE || scale == GL_SCALE_BY_TWO_NV;
    return scaleKnown && biasKnown && pairAllowed;
}

} // namespace

void RcStateSink::parameterfv(GLenum pname, const GLfloat value[4])
{
    if (const auto index = constantIndex(pname))
        state.constants[static_cast<std::size_t>(*index)] = clampedColour(value);
}

void RcStateSink::parameteri(GLenum pname, GLint value)
{
    if (pname == GL_NUM_GENERAL_COMBINERS_NV && value >= 1 && value <= rcMaxGeneralCombiners)
        state.generalCombiners = value;
    else if (pname == GL_COLOR_SUM_CLAMP_NV)
        state.colorSumClamp = value != 0;
}

void RcStateSink::stageParameterfv(GLenum stage, GLenum pname, const GLfloat value[4])
{
    const auto index = stageIndex(stage);
    const auto constant = constantIndex(pname);
    if (index && constant)
        state.stages[static_cast<std::size_t>(*index)]
            .constants[static_cast<std::size_t>(*constant)] = clampedColour(value);
}

void RcStateSink::perStageConstants(bool enable)
{
    state.perStageConstants = enable;
}

void RcStateSink::input(GLenum stage, GLenum portion, GLenum variable, GLenum input, GLenum mapping,
                        GLenum componentUsage)
{
    const auto index = stageIndex(stage);
    if (!index || (portion != GL_RGB && portion != GL_ALPHA) || variable < GL_VARIABLE_A_NV ||
        variable > GL_VARIABLE_D_NV || !isReadable(input) || !isMapping(mapping))
        return;
    // The RGB portion reads RGB or alpha, the alpha portion alpha or blue; fog alpha is left to
    // the final combiner.
    const bool usageAllowed = portion == GL_RGB
                                  ? (componentUsage == GL_RGB || componentUsage == GL_ALPHA)
                                  : (componentUsage == GL_ALPHA || componentUsage == GL_BLUE);
    if (!usageAllowed || (input == GL_FOG && componentUsage == GL_ALPHA))
        return;
    RcStage& target = state.stages[static_cast<std::size_t>(*index)];
    RcPortion& part = portion == GL_RGB ? target.rgb : target.alpha;
    part.variables[variable - GL_VARIABLE_A_NV] = {input, mapping, componentUsage};
}

void RcStateSink::output(GLenum stage, GLenum portion, GLenum abOutput, GLenum cdOutput,
                         GLenum sumOutput, GLenum scale, GLenum bias, GLboolean abDotProduct,
                         GLboolean cdDotProduct, GLboolean muxSum)
{
    const auto index = stageIndex(stage);
    if (!index || (portion != GL_RGB && portion != GL_ALPHA))
        return;
    for (const GLenum out : {abOutput, cdOutput, sumOutput})
        if (out != GL_DISCARD_NV && !isWritable(out))
            return;
    // Only DISCARD may be named twice.
    if ((abOutput != GL_DISCARD_NV && (abOutput == cdOutput || abOutput == sumOutput)) ||
        (cdOutput != GL_DISCARD_NV && cdOutput == sumOutput))
        return;
    if (!isLegalScaleAndBias(scale, bias))
        return;
    // Dot products exist only for RGB.
    if (portion == GL_ALPHA && (abDotProduct || cdDotProduct))
        return;
    RcStage& target = state.stages[static_cast<std::size_t>(*index)];
    RcPortion& part = portion == GL_RGB ? target.rgb : target.alpha;
    part.abOutput = abOutput;
    part.cdOutput = cdOutput;
    part.sumOutput = sumOutput;
    part.scale = scale;
    part.bias = bias;
    part.abDotProduct = abDotProduct != GL_FALSE;
    part.cdDotProduct = cdDotProduct != GL_FALSE;
    part.muxSum = muxSum != GL_FALSE;
}

void RcStateSink::finalInput(GLenum variable, GLenum input, GLenum mapping, GLenum componentUsage)
{
    if (variable < GL_VARIABLE_A_NV || variable > GL_VARIABLE_G_NV)
        return;
    const int slot = static_cast<int>(variable - GL_VARIABLE_A_NV);
    if (mapping != GL_UNSIGNED_IDENTITY_NV && mapping != GL_UNSIGNED_INVERT_NV)
        return;
    const bool product = input == GL_E_TIMES_F_NV;
    const bool colourSum = input == GL_SPARE0_PLUS_SECONDARY_COLOR_NV;
    if (!isReadable(input) && !product && !colourSum)
        return;
    if (slot == rcG) {
        // G is a scalar: alpha or blue of an ordinary register.
        if (product || colourSum || (componentUsage != GL_ALPHA && componentUsage != GL_BLUE))
            return;
    } else {
        if (componentUsage != GL_RGB && componentUsage != GL_ALPHA)
            return;
        // The pseudo-registers are RGB only, neither feeds E or F, and the colour sum is not
        // accepted as A.
        if ((product || colourSum) &&
            (componentUsage != GL_RGB || slot == rcE || slot == rcF || (colourSum && slot == rcA)))
            return;
    }
    state.finalInputs[static_cast<std::size_t>(slot)] = {input, mapping, componentUsage};
}
