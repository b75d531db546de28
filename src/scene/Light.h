#pragma once

#include "anim/Channel.h"
#include "anim/SceneItem.h"
#include "scene/Colour.h"
#include "scene/ShadowTexture.h"

#include <cstdint>
#include <optional>
#include <string>

struct Texture;

// Marks added to a light's type word. They are kept in lightMarks as well, so that the later
// LightWave types 3 and above (linear, area) are never taken for marked lights.
namespace LightMark {
constexpr std::int32_t shadowTexture = 4; // spot light with "ShadowType" 2
constexpr std::int32_t switchedOff = 8;   // constant intensity below 0.0001
} // namespace LightMark

// One light item. Lights that are not switched off hold one of the eight GL lights.
class Light : public SceneItem {
public:
    Light() = default;

    // The file's "LightType" with the marks added for types 0 to 2, exactly as the renderer
    // compares it: 2 spot, 1 point, any other non-zero word positional. A spot light with a
    // shadow texture thus holds 6 and is lit as a positional light without a cone. Types 3 and
    // above stay as the file gives them and light as positional lights.
    std::int32_t lightType = 0;
    std::int32_t lightNumber = -1;   // 0 to 7 among lit lights; -1 when switched off
    std::uint32_t glLight = 0;       // GL_LIGHT0 + lightNumber
    std::uint32_t programMatrix = 0; // GL_MATRIX0_ARB + lightNumber
    ShadowTexture shadowTexture;     // made by uploadScene for lights with the shadow-texture mark
    const Texture* flareTexture = nullptr; // the texture named like the light; cache-owned
    std::string name;
    std::optional<Channel> coneAngle; // "LightConeAngle", spot lights only
    Channel intensity;
    std::optional<Channel> flareIntensity; // none: no lens flare
    std::optional<Channel> flareDissolve;  // none counts as 0
    Channel flareNominalDistance;          // 5.0 when a flare does not give it
    Rgba colour;
    std::int32_t lensFlareFade = 0; // bits switch the flare's depth test and fog
    std::int32_t fileLightType = 0; // "LightType" as the file gives it
    std::int32_t lightMarks = 0;    // LightMark bits

    bool isSwitchedOff() const { return (lightMarks & LightMark::switchedOff) != 0; }
    bool hasShadowTexture() const { return (lightMarks & LightMark::shadowTexture) != 0; }
};

// GL_LIGHT0 + n for n from 0 to 7; any other n is "This Light does not exist".
std::uint32_t glLightFor(std::int32_t n);
// GL_MATRIX0_ARB + n for n from 0 to 7; any other n is "This Matrix does not exist".
std::uint32_t programMatrixFor(std::int32_t n);
