#include "scene/ItemReaders.h"
#include "scene/Light.h"
#include "scene/Scene.h"

#include "anim/Motion.h"
#include "image/TextureCache.h"
#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"

#include <array>
#include <string_view>

namespace {

constexpr std::int32_t spotLight = 2;

// Below this constant intensity a light keeps its place in the scene but is never lit.
constexpr float switchOffIntensity = 0.0001f;

// Types 0 to 2 carry their marks in the type word, as the renderer compares it; later
// LightWave types keep the file's number, so their bits are never read as marks.
void addMark(Light& light, std::int32_t mark)
{
    light.lightMarks |= mark;
    if (light.fileLightType >= 0 && light.fileLightType <= spotLight)
        light.lightType = light.fileLightType + light.lightMarks;
}

std::string_view readFlare(MappedTextFile& file, Light& light, Scene& scene, TextureCache& textures)
{
    ++scene.flareCount;
    light.flareTexture = &textures.getByName(light.name);
    light.flareIntensity = parseChannel(file);
    std::string_view word = file.readWordView();
    if (word == "FlareNominalDistance") {
        light.flareNominalDistance = parseChannel(file);
        word = file.readWordView();
    } else {
        light.flareNominalDistance.value = 5.0f;
    }
    if (word == "FlareDissolve")
        light.flareDissolve = parseChannel(file);
    // Without "FlareDissolve" the word in its place is dropped here.
    if (file.readWordView() != "LensFlareFade")
        throw LoadError("Lack of LensFlareFade");
    file.readInt(light.lensFlareFade);
    return file.readWordView();
}

} // namespace

std::unique_ptr<Light> readLightBlock(MappedTextFile& file, Scene& scene, TextureCache& textures)
{
    auto light = std::make_unique<Light>();
    light->name = file.readWord();

    if (file.readWordView() != "ShowLight")
        throw LoadError("Not ShowLight");
    file.skipWords(2);
    std::string_view word = file.readWordView();
    if (word == "SchematicPosition") {
        file.skipWords(2);
        word = file.readWordView();
    }
    if (word != "LightMotion")
        throw LoadError("Not LightMotion");
    light->motion = parseMotion(file);

    word = file.readWordView();
    word = skipControllerLines(file, word);
    if (word == "ParentItem") {
        light->parentRef = parseParentRef(file);
        word = file.readWordView();
    }
    // Targets play no part in the transforms.
    if (word == "TargetItem") {
        file.skipWord();
        word = file.readWordView();
    }
    if (word != "LightColor")
        throw LoadError("Lack of LightColor");
    file.readFloat(light->colour.red);
    file.readFloat(light->colour.green);
    file.readFloat(light->colour.blue);
    light->colour.alpha = 1.0f;

    // The switch-off test needs an intensity, so a light without one is refused.
    if (file.readWordView() != "LightIntensity")
        throw LoadError("Lack of LightIntensity");
    light->intensity = parseChannel(file);
    word = file.readWordView();
    if (word == "AffectCaustics") {
        file.skipWord();
        word = file.readWordView();
    }
    if (word != "LightType")
        throw LoadError("Lack of LightType");
    file.readInt(light->fileLightType);
    light->lightType = light->fileLightType;
    if (light->fileLightType == spotLight) {
        word = file.readWordView();
        if (word == "LightConeAngle")
            light->coneAngle = parseChannel(file);
    }

    while (word != "ShadowType" && word != "FlareIntensity" && !file.atEnd())
        word = file.readWordView();
    if (word == "FlareIntensity")
        word = readFlare(file, *light, scene, textures);
    if (word == "ShadowType" && file.readWordView() == "2" && light->fileLightType == spotLight) {
        // Marked only: the texture itself is made by uploadScene, after reading.
        ++scene.shadowLightCount;
        addMark(*light, LightMark::shadowTexture);
    }

    if (!light->intensity.envelope && light->intensity.value < switchOffIntensity) {
        addMark(*light, LightMark::switchedOff);
    } else {
        // The matrix is looked up first, so a ninth lit light reports the matrix.
        const std::int32_t n = scene.activeLightCount;
        light->programMatrix = programMatrixFor(n);
        light->lightNumber = n;
        scene.activeLightCount = n + 1;
        light->glLight = glLightFor(n);
    }
    return light;
}
