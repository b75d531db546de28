#pragma once

#include "material/MaterialWords.h"
#include "scene/Material.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// A "Set" block as read: its textures are indices of steps, still to be loaded, and the stages'
// anisotropy is the driver's maximum where the block gives none (the upload step knows it).
struct TextureStagesBlock {
    TextureStages stages;                                 // no textures yet
    std::array<std::optional<std::size_t>, 2> textures{}; // primary, secondary
    std::array<bool, 2> anisotropyGiven{};
};

// One material block as read, before anything in it is loaded into GL.
struct MaterialBlock {
    std::optional<DepthState> depth;
    std::optional<BlendState> blend;
    std::optional<CullState> cull;
    std::optional<TextureStagesBlock> stages;
    // Indices into steps of what the pass uses; a keyword given twice names a later step.
    std::optional<std::size_t> vertexProgram;
    std::optional<std::size_t> pixelProgram;
    std::optional<std::size_t> combiners;
    std::vector<MaterialStep> steps; // every step of the block, in file order
};

// One material block: keywords and their arguments up to the word ".". Unknown words are
// skipped; a keyword given twice replaces its earlier value. Reads text only: programs, textures
// and combiners become steps. On a loading error the steps read before it stay in words.
MaterialBlock readMaterialBlock(MaterialWords& words);

// The keyword parsers, each called after its keyword.
BlendState readBlend(MaterialWords& words);
DepthState readDepth(MaterialWords& words);
CullState readCull(MaterialWords& words);
// Reads up to its own "." unless the first word is "Off".
TextureStagesBlock readTextureStages(MaterialWords& words);

// The text after "Frag" up to the last word before a standalone "End", whitespace kept; the
// words are left after "End". No "End" before the end of the file is a loading error.
std::string readCombinerText(MaterialWords& words);

// Looks a word up in a keyword table; none when it is not there.
struct WordValue {
    const char* word;
    GLenum value;
};
template <std::size_t N>
std::optional<GLenum> lookUpWord(const WordValue (&table)[N], const std::string& word)
{
    for (const WordValue& entry : table)
        if (word == entry.word)
            return entry.value;
    return std::nullopt;
}
