#pragma once

#include "combiners/CombinerSink.h"
#include "combiners/EmulatedCombiners.h"
#include "combiners/RcState.h"
#include "image/TextureCache.h"

#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

// Scripts for the emulated combiners written as the compiler emits them: every input and
// output of every stage, then the final inputs, in the emission's order.

struct Var {
    GLenum input = GL_ZERO;
    GLenum mapping = GL_UNSIGNED_IDENTITY_NV;
    GLenum usage = GL_RGB;
};

// reg as it is, and the constants the zero register gives through its mappings.
inline Var plain(GLenum reg, GLenum usage = GL_RGB)
{
    return {reg, GL_SIGNED_IDENTITY_NV, usage};
}
inline Var one(GLenum usage = GL_RGB)
{
    return {GL_ZERO, GL_UNSIGNED_INVERT_NV, usage};
}
inline Var half(GLenum usage = GL_RGB)
{
    return {GL_ZERO, GL_HALF_BIAS_NEGATE_NV, usage};
}
inline Var unsignedVar(GLenum reg, GLenum usage = GL_RGB)
{
    return {reg, GL_UNSIGNED_IDENTITY_NV, usage};
}

struct PortionSpec {
    std::array<Var, 4> in{}; // A, B, C, D
    GLenum ab = GL_DISCARD_NV;
    GLenum cd = GL_DISCARD_NV;
    GLenum sum = GL_DISCARD_NV;
    GLenum scale = GL_NONE;
    GLenum bias = GL_NONE;
    bool abDot = false;
    bool cdDot = false;
    bool mux = false;
};

using Colour = std::array<float, 4>;

struct StageSpec {
    PortionSpec rgb;
    PortionSpec alpha{{Var{GL_ZERO, GL_UNSIGNED_IDENTITY_NV, GL_ALPHA},
                       Var{GL_ZERO, GL_UNSIGNED_IDENTITY_NV, GL_ALPHA},
                       Var{GL_ZERO, GL_UNSIGNED_IDENTITY_NV, GL_ALPHA},
                       Var{GL_ZERO, GL_UNSIGNED_IDENTITY_NV, GL_ALPHA}}};
    std::vector<std::pair<GLenum, Colour>> constants; // local ones and the globals received
};

struct ScriptSpec {
    std::vector<std::pair<GLenum, Colour>> globals;
    std::vector<StageSpec> stages{StageSpec{}};
    bool perStageConstants = false;
    bool clampColorSum = false;
    // A, B, C, D, E, F, G; by default out.rgb = zero, out.a = one.
    std::array<Var, 7> finals{
        Var{}, Var{}, Var{}, Var{}, Var{}, Var{}, Var{GL_ZERO, GL_UNSIGNED_INVERT_NV, GL_ALPHA}};
};

void emitScript(CombinerSink& sink, const ScriptSpec& script);

// A script compiled into its display list as a material does it.
class CompiledScript {
public:
    explicit CompiledScript(const ScriptSpec& script);
    CompiledScript(const CompiledScript&) = delete;
    CompiledScript& operator=(const CompiledScript&) = delete;
    ~CompiledScript();

    EmulatedCombiners combiners;
    GLuint list = 0;
};

// One pass: the pass bracket, the list called with fragment programs enabled, the combiners
// made active, then setUp (textures, colours, fog) and draw, over a cleared (0, 0, 0, 0) buffer.
// Returns the centre pixel, 0 to 255.
std::array<int, 4> drawPass(CompiledScript& script, const std::function<void()>& setUp,
                            const std::function<void()>& draw);

// A texture of one colour (2x2 texels), as the texture cache would hold it.
Texture solidTexture(GLenum target, std::array<std::uint8_t, 4> rgba);
// A cube map whose faces +X, -X, +Y, -Y, +Z, -Z have one colour each.
Texture cubeTexture(const std::array<std::array<std::uint8_t, 4>, 6>& faces);

// A full-viewport quad drawn as an object pass would: the draw hook first, fog left as it is,
// every unit given texture coordinate (s, t, r) and the given fog coordinate.
void drawObjectQuad(std::array<float, 3> texCoord = {0.5f, 0.5f, 0.0f}, float fogCoord = 0.0f);

// Expectations in 0..1 against a pixel in 0..255, within 2/255.
void expectColour(const std::array<int, 4>& pixel, const std::array<float, 3>& rgb);
void expectColour(const std::array<int, 4>& pixel, const Colour& rgba);
