#include "material/MaterialBlock.h"
#include "material/MaterialWords.h"

#include "shell/LoadError.h"

namespace {

constexpr WordValue blendEquations[] = {
    {"Add", GL_FUNC_ADD_EXT},
    {"Sub", GL_FUNC_SUBTRACT_EXT},
    {"RevSub", GL_FUNC_REVERSE_SUBTRACT_EXT},
    {"Min", GL_MIN_EXT},
    {"Max", GL_MAX_EXT},
};

// Destination factors are every row but the last.
constexpr WordValue blendFactors[] = {
    {"0", GL_ZERO},
    {"1", GL_ONE},
    {"SrcColor", GL_SRC_COLOR},
    {"1-SrcColor", GL_ONE_MINUS_SRC_COLOR},
    {"DstColor", GL_DST_COLOR},
    {"1-DstColor", GL_ONE_MINUS_DST_COLOR},
    {"SrcAlpha", GL_SRC_ALPHA},
    {"1-SrcAlpha", GL_ONE_MINUS_SRC_ALPHA},
    {"DstAlpha", GL_DST_ALPHA},
    {"1-DstAlpha", GL_ONE_MINUS_DST_ALPHA},
    {"ConstColor", GL_CONSTANT_COLOR_EXT},
    {"1-ConstColor", GL_ONE_MINUS_CONSTANT_COLOR_EXT},
    {"ConstAlpha", GL_CONSTANT_ALPHA_EXT},
    {"1-ConstAlpha", GL_ONE_MINUS_CONSTANT_ALPHA_EXT},
    {"SrcAlphaSat", GL_SRC_ALPHA_SATURATE},
};

constexpr WordValue depthFunctions[] = {
    {"Never", GL_NEVER},          {"Always", GL_ALWAYS},       {"IfLess", GL_LESS},
    {"IfLessOrEqual", GL_LEQUAL}, {"IfEqual", GL_EQUAL},       {"IfGreaterOrEqual", GL_GEQUAL},
    {"IfGreater", GL_GREATER},    {"IfNotEqual", GL_NOTEQUAL},
};

bool usesConstColour(GLenum factor)
{
    return factor == GL_CONSTANT_COLOR_EXT || factor == GL_ONE_MINUS_CONSTANT_COLOR_EXT;
}

bool usesConstAlpha(GLenum factor)
{
    return factor == GL_CONSTANT_ALPHA_EXT || factor == GL_ONE_MINUS_CONSTANT_ALPHA_EXT;
}

// Unknown factor words load with a warning and the factors of plain replacement.
GLenum readFactor(MaterialWords& words, bool source)
{
    const std::string word = words.next();
    const std::optional<GLenum> factor = lookUpWord(blendFactors, word);
    if (factor && (source || *factor != GL_SRC_ALPHA_SATURATE))
        return *factor;
    words.warnUnknown(source ? "source blend factor" : "destination blend factor", word);
    return source ? GL_ONE : GL_ZERO;
}

} // namespace

BlendState readBlend(MaterialWords& words)
{
    BlendState blend;
    std::string word = words.next();
    if (word == "Off") {
        blend.enabled = false;
        return blend;
    }
    if (word == "Func") {
        const std::string equationWord = words.next();
        if (const std::optional<GLenum> equation = lookUpWord(blendEquations, equationWord))
            blend.equation = *equation;
        else
            words.warnUnknown("blend equation", equationWord);
        // Minimum and maximum ignore the factors, and the file gives none.
        if (blend.equation == GL_MIN_EXT || blend.equation == GL_MAX_EXT)
            return blend;
        word = words.next();
    }
    if (word != "Src")
        throw LoadError("Not Src");
    blend.srcFactor = readFactor(words, true);
    if (words.next() != "Dst")
        throw LoadError("Not Dst");
    blend.dstFactor = readFactor(words, false);

    if (usesConstColour(blend.srcFactor) || usesConstColour(blend.dstFactor)) {
        if (words.next() != "ConstColor")
            throw LoadError("Not ConstColor");
        for (float& component : blend.constColour)
            words.nextFloat(component);
    } else if (usesConstAlpha(blend.srcFactor) || usesConstAlpha(blend.dstFactor)) {
        if (words.next() != "ConstAlpha")
            throw LoadError("Not ConstAlpha");
        words.nextFloat(blend.constColour[3]);
    }
    return blend;
}

DepthState readDepth(MaterialWords& words)
{
    DepthState depth;
    std::string word = words.next();
    if (word == "Off") {
        depth.enabled = false;
        return depth;
    }
    if (word == "Write") {
        depth.writeMask = words.next() == "Off" ? GL_FALSE : GL_TRUE;
        word = words.next();
    }
    if (word != "Func")
        throw LoadError("not depth func");
    const std::string functionWord = words.next();
    if (const std::optional<GLenum> function = lookUpWord(depthFunctions, functionWord))
        depth.func = *function;
    else
        words.warnUnknown("depth function", functionWord);
    return depth;
}

CullState readCull(MaterialWords& words)
{
    CullState cull;
    if (words.next() == "Off")
        cull.enabled = false;
    else
        cull.frontFace = GL_CCW;
    return cull;
}
