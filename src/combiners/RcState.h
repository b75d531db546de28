#pragma once

#include "combiners/CombinerProgram.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <array>

// A software copy of the GL_NV_register_combiners(2) state, as the GL calls of a compiled
// script leave it. Default construction gives the extension's initial state with every
// constant at 0, which is what a pass sees inside its glPushAttrib/glPopAttrib bracket.

// Scripts hold at most eight general combiners and name only texture units 0 to 3.
constexpr int rcMaxGeneralCombiners = static_cast<int>(maxGeneralCombinerCount);
constexpr int rcTextureUnits = 4;

// Variables A to D of a general portion, A to G of the final combiner.
constexpr int rcGeneralVariables = 4;
constexpr int rcFinalVariables = static_cast<int>(finalVariableCount);
enum RcVariable : int { rcA, rcB, rcC, rcD, rcE, rcF, rcG };

using RcColour = std::array<GLfloat, 4>;

struct RcInput {
    GLenum input = GL_ZERO;
    GLenum mapping = GL_UNSIGNED_IDENTITY_NV;
    GLenum componentUsage = GL_RGB;
};

struct RcPortion {
    std::array<RcInput, rcGeneralVariables> variables;
    GLenum abOutput = GL_DISCARD_NV;
    GLenum cdOutput = GL_DISCARD_NV;
    GLenum sumOutput = GL_SPARE0_NV;
    GLenum scale = GL_NONE;
    GLenum bias = GL_NONE;
    bool abDotProduct = false;
    bool cdDotProduct = false;
    bool muxSum = false;
};

struct RcStage {
    // Per-stage constant colours, read instead of the global ones while per-stage constants
    // are enabled.
    std::array<RcColour, 2> constants{};
    RcPortion rgb = initialPortion(GL_RGB);
    RcPortion alpha = initialPortion(GL_ALPHA);

    // Each portion starts as "primary colour times one" into spare0.
    static RcPortion initialPortion(GLenum usage)
    {
        RcPortion portion;
        portion.variables[rcA] = {GL_PRIMARY_COLOR_NV, GL_UNSIGNED_IDENTITY_NV, usage};
        portion.variables[rcB] = {GL_ZERO, GL_UNSIGNED_INVERT_NV, usage};
        portion.variables[rcC] = {GL_ZERO, GL_UNSIGNED_IDENTITY_NV, usage};
        portion.variables[rcD] = {GL_ZERO, GL_UNSIGNED_IDENTITY_NV, usage};
        return portion;
    }
};

struct RcState {
    GLint generalCombiners = 1; // always 1 to rcMaxGeneralCombiners
    bool colorSumClamp = true;
    bool perStageConstants = false;
    std::array<RcColour, 2> constants{};
    std::array<RcStage, rcMaxGeneralCombiners> stages;
    // The conventional colour sum and fog: f * (spare0 + secondary) + (1 - f) * fog colour.
    std::array<RcInput, rcFinalVariables> finalInputs = {{
        {GL_FOG, GL_UNSIGNED_IDENTITY_NV, GL_ALPHA},
        {GL_SPARE0_PLUS_SECONDARY_COLOR_NV, GL_UNSIGNED_IDENTITY_NV, GL_RGB},
        {GL_FOG, GL_UNSIGNED_IDENTITY_NV, GL_RGB},
        {GL_ZERO, GL_UNSIGNED_IDENTITY_NV, GL_RGB},
        {GL_ZERO, GL_UNSIGNED_IDENTITY_NV, GL_RGB},
        {GL_ZERO, GL_UNSIGNED_IDENTITY_NV, GL_RGB},
        {GL_SPARE0_NV, GL_UNSIGNED_IDENTITY_NV, GL_ALPHA},
    }};
};
