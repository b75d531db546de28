#pragma once

#include "combiners/EmulatedCombiners.h"
#include "image/TextureCache.h"
#include "scene/Material.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A script compiled by parseCombinerScript into the emulated combiners inside a display list,
// as a material compiles its block, held by a pass that has nothing else.
struct CompiledScript {
    explicit CompiledScript(const std::string& text);

    Material material;
    EmulatedCombiners& combiners; // the material's
    std::vector<std::string> errors;
};

using Colour = std::array<float, 4>;
using Pixel = std::array<int, 4>;

// One pass over a cleared (0, 0, 0, 0) buffer, drawn as the player draws a pass: the list
// called with fragment programs enabled, setUp, the variant bound, draw. Returns the centre
// pixel.
Pixel drawPass(CompiledScript& script, const std::function<void()>& setUp,
               const std::function<void()>& draw);

// The usual inputs: texture 0 = (153, 51, 204, 102) / 255 = (0.6, 0.2, 0.8, 0.4) as 2D, the
// primary colour (1, 0.5, 0.25, 0.75), the secondary (0.2, 0.4, 0.6), drawn as a screen quad.
Pixel drawWithUsualInputs(
    CompiledScript& script, const std::function<void()>& extra = [] {});

// A texture of one colour as the texture cache would hold it; a cube map with one colour per
// face (+X, -X, +Y, -Y, +Z, -Z).
Texture solidTexture(GLenum target, std::array<std::uint8_t, 4> rgba);
Texture cubeTexture(const std::array<std::array<std::uint8_t, 4>, 6>& faces);

// A full-viewport quad drawn as an object pass would: fog left as it is, every unit given texture
// coordinate (s, t, r) and the given fog coordinate.
void drawObjectQuad(std::array<float, 3> texCoord = {0.5f, 0.5f, 0.0f}, float fogCoord = 0.0f);

// Within 2/255 of the expected colour in 0..1.
void expectColour(const Pixel& pixel, const Colour& rgba);

struct ScriptCase {
    std::string text; // "!!RC1.0" is put in front
    Colour expected;
};
// Compiles and draws each case with the usual inputs.
void expectScripts(const std::vector<ScriptCase>& cases);
