#include "material/MaterialBlock.h"
#include "material/MaterialWords.h"

#include "image/TextureCache.h"
#include "shell/GlExtensions.h"
#include "shell/LoadError.h"

#include <sstream>
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

// Used where the driver does not say how much anisotropy it allows.
constexpr float presetMaxAnisotropy = 2.0f;

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

const Texture& readFileName(MaterialWords& words, TextureCache& textures)
{
    // The cache reads the name from a stream; this one holds the checked word alone.
    std::istringstream name(words.nextName());
    return textures.getByFileName(name);
}

TextureStages defaultStages()
{
    TextureStages stages;
    float maxAnisotropy = presetMaxAnisotropy;
    const bool anisotropic = hasGlExtension("GL_EXT_texture_filter_anisotropic");
    if (anisotropic)
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAnisotropy);
    stages.primary.anisotropy = maxAnisotropy;
    stages.secondary.anisotropy = maxAnisotropy;
    stages.mayBeRefused =
        !anisotropic || !(hasGlExtension("GL_EXT_texture_lod_bias") || hasGlVersion(1, 4));
    return stages;
}

} // namespace

TextureStages readTextureStages(MaterialWords& words, TextureCache& textures)
{
    TextureStages stages = defaultStages();
    std::string word = words.next();
    if (word == "Off") {
        stages.enabled = false;
        return stages;
    }
    for (; word != "."; word = words.next()) {
        // "Pri" words set the primary stage and "Sec" words the secondary; the rest is the same.
        const std::string_view prefix = std::string_view(word).substr(0, stagePrefixLength);
        if (prefix != "Pri" && prefix != "Sec")
            continue;
        TextureStage& stage = prefix == "Pri" ? stages.primary : stages.secondary;
        const std::string_view part = std::string_view(word).substr(stagePrefixLength);
        if (part == "Name")
            stage.texture = &textures.getByName(words.nextName());
        else if (part == "FN")
            stage.texture = &readFileName(words, textures);
        else if (part == "Min")
            stage.minFilter = readMinification(words);
        else if (part == "Mag")
            stage.magFilter = readMagnification(words);
        else if (part == "Atp")
            words.nextFloat(stage.anisotropy);
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
    return stages;
}
