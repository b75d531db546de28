#pragma once

#include "shell/GlHandle.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class EmulatedCombiners;
struct ShaderProgram;
struct Texture;

// The render state of one material pass, as a scene's material file gives it. The scene owns
// its passes; the material reader and the code that applies them sit above it.

struct DepthState {
    bool enabled = true;
    GLboolean writeMask = GL_TRUE;
    GLenum func = GL_LESS;
};

struct BlendState {
    bool enabled = true;
    GLenum equation = GL_FUNC_ADD_EXT;
    GLenum srcFactor = GL_ONE;
    GLenum dstFactor = GL_ZERO;
    std::array<float, 4> constColour{}; // red, green, blue, alpha
};

struct CullState {
    bool enabled = true;
    GLenum frontFace = GL_CW; // GL_CCW reverses the culled side against the start-up GL_CW
};

// One texture stage: the texture a unit binds and the parameters written into it.
struct TextureStage {
    const Texture* texture = nullptr; // owned by the TextureCache; none leaves the unit alone
    GLenum minFilter = GL_LINEAR_MIPMAP_LINEAR;
    GLenum magFilter = GL_LINEAR;
    GLenum wrapU = GL_REPEAT;
    GLenum wrapV = GL_REPEAT;
    float anisotropy = 2.0f;
    float bias = 0.0f;
};

// Two texture stages: primary on unit 0, secondary on unit 1.
struct TextureStages {
    bool enabled = true;
    TextureStage primary;   // "Pri..." words
    TextureStage secondary; // "Sec..." words
    // Set when a value may be refused by the driver (a filter it does not know, or a missing
    // anisotropy or LOD-bias extension): applying then clears the GL error it leaves.
    bool mayBeRefused = false;
};

// A compiled register-combiner setup: the display list that sets it up, and where the driver
// has no register combiners, the emulation it binds (null with native combiners). Move-only
// owner of both (deleted with it, so the GL context must still be current). The emulation makes
// every program variant a pass of the player can meet when it is compiled.
struct CombinerList {
    GlHandle list;
    std::unique_ptr<EmulatedCombiners> emulated;

    ~CombinerList(); // where EmulatedCombiners is complete
    CombinerList(GlHandle displayList, std::unique_ptr<EmulatedCombiners> emulation);
    CombinerList(CombinerList&&) noexcept;
    CombinerList& operator=(CombinerList&&) noexcept;
};

// One pass. Every part is optional; an absent part leaves its GL state as the caller set it.
struct Material {
    std::optional<DepthState> depth;
    std::optional<BlendState> blend;
    const ShaderProgram* vertexProgram = nullptr; // owned by the ProgramRegistry
    const ShaderProgram* pixelProgram = nullptr;
    std::optional<TextureStages> stages;
    std::optional<CullState> cull;
    std::optional<CombinerList> combiners;
};

// Passes in file order; each is drawn once.
using PassList = std::vector<Material>;
