#include "material/MaterialBlock.h"

#include "shell/LoadError.h"

#include <cctype>

namespace {

bool isSpace(int character)
{
    return std::isspace(character) != 0;
}

} // namespace

std::string readCombinerText(MaterialWords& words)
{
    // Built from the characters themselves so that line breaks and inner whitespace reach the
    // combiner compiler as written; the whitespace before "End" is dropped with it.
    std::istream& in = words.stream;
    std::string text;
    std::string gap;
    std::string word;
    while (true) {
        int next = in.get();
        while (next != std::char_traits<char>::eof() && isSpace(next)) {
            gap.push_back(static_cast<char>(next));
            next = in.get();
        }
        if (next == std::char_traits<char>::eof())
            throw LoadError("A \"Frag\" block has no \"End\" before the end of " + words.path);
        word.clear();
        while (next != std::char_traits<char>::eof() && !isSpace(next)) {
            word.push_back(static_cast<char>(next));
            next = in.get();
        }
        if (next != std::char_traits<char>::eof())
            in.unget();
        else
            in.clear(std::ios::eofbit);
        if (word == "End")
            return text;
        text += gap;
        text += word;
        gap.clear();
    }
}

MaterialBlock readMaterialBlock(MaterialWords& words)
{
    using Kind = MaterialStep::Kind;
    MaterialBlock block;
    for (std::string word = words.next(); word != "."; word = words.next()) {
        if (word == "Blend")
            block.blend = readBlend(words);
        else if (word == "Depth")
            block.depth = readDepth(words);
        else if (word == "Cull")
            block.cull = readCull(words);
        else if (word == "Vert")
            block.vertexProgram = words.addStep(Kind::program, words.nextName());
        else if (word == "Pix")
            block.pixelProgram = words.addStep(Kind::program, words.nextName());
        else if (word == "Frag")
            block.combiners = words.addStep(Kind::combiners, readCombinerText(words));
        else if (word == "Set")
            block.stages = readTextureStages(words);
    }
    block.steps = words.takeSteps();
    return block;
}
