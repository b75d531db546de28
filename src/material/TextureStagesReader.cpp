#include "material/MaterialBlock.h"
#include "material/MaterialWords.h"

#include "shell/LoadError.h"

#include <string_view>

namespace {

// The filters of GL_SGIS_texture_filter4, _detail_texture and _sharpen_texture, which few
// drivers know.
constexpr GLenum filter4 = 0x8146;
constexpr GLenum linearDetail = 0x8097;
constexpr GLenum linearDetailAlpha = 0x8098;
constexpr GLenum linearDetailColour = 0x8099;
constexpr GLenum linearSharpen = 0x80AD;
constexpr GLenum linearSharpenAlpha = 0x80AE;
constexpr GLenum linearSharpenColour = 0x80AF;
constexpr GLenum mirroredRepeatIbm = 0x8370;

constexpr std::size_t stagePrefixLength = 3; // "Pri" or "Sec"

constexpr WordValue minificationFilters[] = {
    {"Near", GL_NEAREST},
    {"Lin", GL_LINEAR},
    {"NearMipNear", GL_NEAREST_MIPMAP_NEAREST},
    {"NearMipLin", GL_NEAREST_MIPMAP_LINEAR},
    {"LinMipNear", GL_LINEAR_MIPMAP_NEAREST},
    {"LinMipLin", GL_LINEAR_MIPMAP_LINEAR},
    {"4", filter4},
};

constexpr WordValue magnificationFilters[] = {
    {"Near", GL_NEAREST},
    {"Lin", GL_LINEAR},
    {"4", filter4},
    {"LinDet", linearDetail},
    {"LinDetAlpha", linearDetailAlpha},
    {"LinDetColor", linearDetailColour},
    {"LinSharp", linearSharpen},
    {"LinSharpAlpha", linearSharpenAlpha},
    {"LinSharpColor", linearSharpenColour},
};

constexpr WordValue wrapModes[] = {
    {"Repeat", GL_REPEAT},
    {"Clamp", GL_CLAMP},
    {"ClampEdge", GL_CLAMP_TO_EDGE},
    {"Mirror", mirroredRepeatIbm},
};

GLenum readWordOf(MaterialWords& words, const auto& table, const char* message)
{
    const std::optional<GLenum> value = lookUpWord(table, words.next());
    if (!value)
        throw LoadError(message);
    return *value;
}

GLenum readMinification(MaterialWords& words)
{
    return readWordOf(words, minificationFilters, "Unknown Minification Filter setting");
}

GLenum readMagnification(MaterialWords& words)
{
    return readWordOf(words, magnificationFilters, "Unknown Magnification Filter setting");
}

GLenum readWrap(MaterialWords& words)
{
    return readWordOf(words, wrapModes, "Unknown Wrapping setting");
}

bool isSgisFilter(GLenum filter)
{
    return filter == filter4 || (filter >= linearDetail && filter <= linearDetailColour) ||
           (filter >= linearSharpen && filter <= linearSharpenColour);
}

} // namespace

TextureStagesBlock readTextureStages(MaterialWords& words)
{
    TextureStagesBlock block;
    TextureStages& stages = block.stages;
    std::string word = words.next();
    if (word == "Off") {
        stages.enabled = false;
        return block;
    }
    for (; word != "."; word = words.next()) {
        // "Pri" words set the primary stage and "Sec" words the secondary; the rest is the same.
        const std::string_view prefix = std::string_view(word).substr(0, stagePrefixLength);
        if (prefix != "Pri" && prefix != "Sec")
            continue;
        const std::size_t index = prefix == "Pri" ? 0 : 1;
        TextureStage& stage = index == 0 ? stages.primary : stages.secondary;
        const std::string_view part = std::string_view(word).substr(stagePrefixLength);
        if (part == "Name")
            block.textures[index] =
                words.addStep(MaterialStep::Kind::textureByName, words.nextName());
        else if (part == "FN")
            block.textures[index] =
                words.addStep(MaterialStep::Kind::textureByFileName, words.nextName());
        else if (part == "Min")
            stage.minFilter = readMinification(words);
        else if (part == "Mag")
            stage.magFilter = readMagnification(words);
        else if (part == "Atp")
            block.anisotropyGiven[index] =
                words.nextFloat(stage.anisotropy) || block.anisotropyGiven[index];
        else if (part == "Bias")
            words.nextFloat(stage.bias);
        else if (part == "WrapU")
            stage.wrapU = readWrap(words);
        else if (part == "WrapV")
            stage.wrapV = readWrap(words);
    }
    for (const TextureStage* stage : {&stages.primary, &stages.secondary})
        stages.mayBeRefused =
            stages.mayBeRefused || isSgisFilter(stage->minFilter) || isSgisFilter(stage->magFilter);
    return block;
}
