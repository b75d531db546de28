#include "image/Anisotropy.h"

#include "shell/GlExtensions.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<std::string_view, 3> softwareRenderers = {"llvmpipe", "softpipe", "swrast"};

} // namespace

bool isSoftwareRenderer(std::string_view glRenderer)
{
    return std::any_of(
        softwareRenderers.begin(), softwareRenderers.end(),
        [&](std::string_view name) { return glRenderer.find(name) != std::string_view::npos; });
}

float anisotropyCeiling(std::string_view glRenderer, float driverMaximum,
                        std::optional<float> userSetting)
{
    const float driverCeiling = std::max(1.0f, driverMaximum);
    if (userSetting)
        return std::clamp(*userSetting, 1.0f, driverCeiling);
    if (isSoftwareRenderer(glRenderer))
        return softwareAnisotropyCeiling;
    return driverCeiling;
}

float filteredAnisotropy(float requested, float ceiling, GLenum minFilter, GLenum magFilter)
{
    const bool nearest = (minFilter == GL_NEAREST || minFilter == GL_NEAREST_MIPMAP_NEAREST) &&
                         magFilter == GL_NEAREST;
    if (nearest)
        return 1.0f;
    return std::min(requested, ceiling);
}

float currentAnisotropyCeiling(std::optional<float> userSetting)
{
    if (!hasGlExtension("GL_EXT_texture_filter_anisotropic"))
        return 1.0f;
    GLfloat driverMaximum = 1.0f;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &driverMaximum);
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return anisotropyCeiling(renderer ? renderer : "", driverMaximum, userSetting);
}
