#include "material/MaterialBlock.h"
#include "material/MaterialWords.h"

#include "image/TextureCache.h"
#include "shell/GlExtensions.h"
#include "shell/LoadError.h"

#include <sstream>

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
    stages.priAnisotropy = maxAnisotropy;
    stages.secAnisotropy = maxAnisotropy;
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
    while (word != ".") {
        if (word == "PriName")
            stages.primary = &textures.getByName(words.nextName());
        else if (word == "PriFN")
            stages.primary = &readFileName(words, textures);
        else if (word == "PriMin")
            stages.priMin = readMinification(words);
        else if (word == "PriMag")
            stages.priMag = readMagnification(words);
        else if (word == "PriAtp")
            words.nextFloat(stages.priAnisotropy);
        else if (word == "PriBias")
            words.nextFloat(stages.priBias);
        else if (word == "PriWrapU")
            stages.priWrapU = readWrap(words);
        else if (word == "PriWrapV")
            stages.priWrapV = readWrap(words);
        else if (word == "SecName")
            stages.secondary = &textures.getByName(words.nextName());
        else if (word == "SecFN")
            stages.secondary = &readFileName(words, textures);
        else if (word == "SecMin")
            stages.secMin = readMinification(words);
        else if (word == "SecMag")
            stages.secMag = readMagnification(words);
        else if (word == "SecAtp")
            words.nextFloat(stages.secAnisotropy);
        else if (word == "SecBias")
            words.nextFloat(stages.secBias);
        else if (word == "SecWrapU")
            stages.secWrapU = readWrap(words);
        else if (word == "SecWrapV")
            stages.secWrapV = readWrap(words);
        word = words.next();
    }
    for (GLenum filter : {stages.priMin, stages.priMag, stages.secMin, stages.secMag})
        stages.mayBeRefused = stages.mayBeRefused || isSgisFilter(filter);
    return stages;
}
