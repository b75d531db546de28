#pragma once

#include "scene/Material.h"

#include <optional>
#include <string>

class MaterialWords;
class ProgramRegistry;
class TextureCache;

// One material block: keywords and their arguments up to the word ".". Unknown words are
// skipped; a keyword given twice replaces its earlier value.
Material readMaterialBlock(MaterialWords& words, ProgramRegistry& programs, TextureCache& textures);

// The keyword parsers, each called after its keyword.
BlendState readBlend(MaterialWords& words);
DepthState readDepth(MaterialWords& words);
CullState readCull(MaterialWords& words);
// Reads up to its own "." unless the first word is "Off". Queries the driver's anisotropy limit.
TextureStages readTextureStages(MaterialWords& words, TextureCache& textures);

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
