#include "lwsc/LwsSceneWriter.h"

#include "lwsc/ConversionReport.h"
#include "lwsc/LwsLines.h"

#include <array>
#include <cstdio>
#include <numbers>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

constexpr int boneShift = 16;
constexpr std::uint32_t objectIndexMask = 0xFFFF;
// Load-order numbers hold 16 bits, a bone's number within its object 12.
constexpr std::size_t mostItemsOfAKind = 0x10000;
constexpr std::size_t mostBonesOfAnObject = 0x1000;
constexpr const char* spotLightType = "2";
constexpr const char* blurWithLength = "2";

std::string hex8(std::uint32_t id)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", id);
    return text;
}

std::uint32_t itemId(ItemKind kind, std::size_t position)
{
    return static_cast<std::uint32_t>(kind) << itemKindShift | static_cast<std::uint32_t>(position);
}

std::uint32_t boneId(std::size_t bone, std::size_t objectPosition)
{
    return itemId(ItemKind::Bone, objectPosition) | static_cast<std::uint32_t>(bone) << boneShift;
}

std::string scaled(const std::string& number, double factor)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", std::strtod(number.c_str(), nullptr) * factor);
    return text;
}

// An object of the output and the input object it comes from. An object whose pivot is not at
// its origin becomes two: a null that carries its motion and children, and the object itself
// below it, moved back by the pivot.
struct OutputObject {
    const LwsObject* source = nullptr;
    bool pivotNull = false;
    bool belowPivot = false;
};

class Writer {
public:
    Writer(const LwsScene& scene, const std::string& path, ConversionReport& report)
        : scene(scene), path(path), report(report)
    {
    }

    WrittenScene write();

private:
    void layOut();
    void identify(std::uint32_t id, std::uint32_t outputId, std::size_t line);
    std::uint32_t resolve(const LwsReference& reference, std::string_view keyword) const;
    [[noreturn]] void unknown(const LwsReference& reference, std::string_view keyword) const;

    void line(std::string_view keyword, std::string_view value = {});
    void defaultLine(std::string_view keyword, std::string_view value);
    void reference(std::string_view keyword, const std::optional<LwsReference>& reference);
    void envelope(const LwsEnvelope& envelope, double factor = 1.0);
    void channel(std::string_view keyword, const LwsChannel& channel, double factor = 1.0);
    void channelOr(std::string_view keyword, const std::optional<LwsChannel>& channel,
                   std::string_view fallback);
    void motion(std::string_view keyword, const LwsMotion& motion);
    void triple(std::string_view keyword, const std::array<std::string, 3>& values);

    void frames();
    void object(const OutputObject& output, std::size_t position);
    void bones(const LwsObject& object, std::size_t position);
    void morph(const LwsObject& object);
    void light(const LwsLight& light);
    void camera(const LwsCamera& camera);
    void sceneTail();

    const LwsScene& scene;
    const std::string& path;
    ConversionReport& report;
    std::string out;
    std::vector<OutputObject> objects;
    std::unordered_map<std::uint32_t, std::uint32_t> attachIds;    // input id to output id
    std::unordered_map<std::uint32_t, std::size_t> morphPositions; // input object id to position
    std::vector<std::size_t> positionOfInput;                      // input index to position
};

void Writer::identify(std::uint32_t id, std::uint32_t outputId, std::size_t line)
{
    // Identifiers are permanent and unique from version 4; version 3 makes its own.
    if (!attachIds.emplace(id, outputId).second)
        failConversion(path, line, "identifier " + hex8(id) + " is declared a second time");
}

void Writer::layOut()
{
    const bool translatePivots = scene.version >= firstVersionWithIdentifiers;
    for (const LwsObject& source : scene.objects) {
        bool moved = false;
        for (const std::string& coordinate : source.pivot)
            moved = moved || std::strtod(coordinate.c_str(), nullptr) != 0.0;
        const bool offset = moved && translatePivots;
        if (moved && !translatePivots)
            report.dropped("pivot positions (version 3: the player ignores them)");
        if (objects.size() + (offset ? 2 : 1) > mostItemsOfAKind)
            failConversion(path, source.line, "more objects than the 65,536 a scene can number");
        if (source.bones.size() > mostBonesOfAnObject)
            failConversion(path, source.line, "more bones than the 4,096 an object can number");
        identify(source.id, itemId(ItemKind::Object, objects.size()), source.line);
        if (offset) {
            report.changed("pivot positions kept through a parent null", source.name);
            objects.push_back({&source, true, false});
        }
        morphPositions[source.id] = objects.size();
        positionOfInput.push_back(objects.size());
        objects.push_back({&source, false, offset});
    }
    if (scene.lights.size() > mostItemsOfAKind)
        failConversion(path, scene.lights[mostItemsOfAKind].line,
                       "more lights than a scene can number");
    if (scene.cameras.size() > mostItemsOfAKind)
        failConversion(path, scene.cameras[mostItemsOfAKind].line,
                       "more cameras than a scene can number");
    for (std::size_t i = 0; i < scene.lights.size(); ++i)
        identify(scene.lights[i].id, itemId(ItemKind::Light, i), scene.lights[i].line);
    for (std::size_t i = 0; i < scene.cameras.size(); ++i)
        identify(scene.cameras[i].id, itemId(ItemKind::Camera, i), scene.cameras[i].line);
    // A bone's identifier carries its object's number, so bones of different objects may share
    // one only in damaged files; references between bones are looked up in their own object.
    for (std::size_t i = 0; i < scene.objects.size(); ++i)
        for (std::size_t b = 0; b < scene.objects[i].bones.size(); ++b)
            attachIds.try_emplace(scene.objects[i].bones[b].id, boneId(b, positionOfInput[i]));
}

void Writer::unknown(const LwsReference& reference, std::string_view keyword) const
{
    failConversion(path, reference.line,
                   std::string(keyword) + " " + hex8(reference.id) + " names no item of the scene");
}

std::uint32_t Writer::resolve(const LwsReference& reference, std::string_view keyword) const
{
    const auto found = attachIds.find(reference.id);
    if (found != attachIds.end())
        return found->second;
    // Version 3 numbers are load order already; one past the items reads as none.
    if (scene.version < firstVersionWithIdentifiers)
        return reference.id;
    unknown(reference, keyword);
}

void Writer::line(std::string_view keyword, std::string_view value)
{
    out += keyword;
    if (!value.empty()) {
        out += ' ';
        out += value;
    }
    out += '\n';
}

// A line the scene lacks, written with LightWave's default and reported.
void Writer::defaultLine(std::string_view keyword, std::string_view value)
{
    line(keyword, value);
    report.defaulted(std::string(keyword) + " " + std::string(value));
}

// "ParentItem" or "TargetItem" with the load-order number of the item named, when one is.
void Writer::reference(std::string_view keyword, const std::optional<LwsReference>& given)
{
    if (given)
        line(keyword, hex8(resolve(*given, keyword)));
}

void Writer::envelope(const LwsEnvelope& source, double factor)
{
    out += "{ Envelope\n  " + std::to_string(source.keys.size()) + "\n";
    for (LwsKey key : source.keys) {
        if (factor != 1.0) {
            // Values and the value parts of tangents and handles scale; times and TCB do not.
            key[0] = scaled(key[0], factor);
            if (key[2] == "5") {
                key[4] = scaled(key[4], factor);
                key[6] = scaled(key[6], factor);
            } else {
                key[6] = scaled(key[6], factor);
                key[7] = scaled(key[7], factor);
            }
        }
        out += "  Key";
        for (const std::string& number : key)
            out += " " + number;
        out += "\n";
    }
    out += "  Behaviors " + source.preBehavior + " " + source.postBehavior + "\n}\n";
}

void Writer::channel(std::string_view keyword, const LwsChannel& source, double factor)
{
    if (source.envelope) {
        line(keyword, "(envelope)");
        envelope(*source.envelope, factor);
    } else {
        line(keyword, factor == 1.0 ? source.constant : scaled(source.constant, factor));
    }
}

void Writer::channelOr(std::string_view keyword, const std::optional<LwsChannel>& source,
                       std::string_view fallback)
{
    if (source)
        channel(keyword, *source);
    else
        defaultLine(keyword, fallback);
}

void Writer::motion(std::string_view keyword, const LwsMotion& source)
{
    line(keyword);
    line("NumChannels", std::to_string(source.channels.size()));
    for (std::size_t i = 0; i < source.channels.size(); ++i) {
        line("Channel", std::to_string(i));
        envelope(source.channels[i]);
    }
}

void Writer::triple(std::string_view keyword, const std::array<std::string, 3>& values)
{
    line(keyword, values[0] + " " + values[1] + " " + values[2]);
}

void Writer::frames()
{
    constexpr std::array<std::pair<std::string_view, std::string_view>, 8> order = {{
        {"FirstFrame", "1"},
        {"LastFrame", "60"},
        {"FrameStep", ""},
        {"PreviewFirstFrame", ""},
        {"PreviewLastFrame", ""},
        {"PreviewFrameStep", ""},
        {"CurrentFrame", ""},
        {"FramesPerSecond", "30"},
    }};
    for (const auto& [keyword, fallback] : order) {
        const std::string* value = nullptr;
        for (const auto& [given, text] : scene.frameLines)
            if (given == keyword)
                value = &text;
        if (value)
            line(keyword, *value);
        else if (!fallback.empty())
            defaultLine(keyword, fallback);
    }
    out += "\n";
}

void Writer::bones(const LwsObject& object, std::size_t position)
{
    if (object.bones.empty())
        return;
    line("BoneFalloffType", object.boneFalloff);
    for (const LwsBone& bone : object.bones) {
        // The player skips fixed numbers of words around the rest pose: these lines must keep
        // their one-word values.
        line("AddBone");
        line("BoneName", bone.name);
        line("ShowBone", bone.show);
        line("BoneActive", bone.active);
        triple("BoneRestPosition", bone.restPosition);
        triple("BoneRestDirection", bone.restDirection);
        line("BoneRestLength", bone.restLength);
        line("ScaleBoneStrength", bone.scaleStrength);
        line("BoneStrength", bone.strength);
        line("BoneMinRange", bone.minRange);
        line("BoneMaxRange", bone.maxRange);
        line("BoneType", bone.type);
        motion("BoneMotion", bone.motion);
        std::uint32_t parent = itemId(ItemKind::Object, position);
        if (!bone.parent) {
            report.defaulted("bone ParentItem (its object)");
        } else if (bone.parent->id >> itemKindShift == static_cast<std::uint32_t>(ItemKind::Bone)) {
            // A bone's parent bone is one of the same object's.
            parent = resolve(*bone.parent, "ParentItem");
            for (std::size_t b = 0; b < object.bones.size(); ++b)
                if (object.bones[b].id == bone.parent->id)
                    parent = boneId(b, position);
        } else {
            parent = resolve(*bone.parent, "ParentItem");
        }
        line("ParentItem", hex8(parent));
    }
}

void Writer::morph(const LwsObject& object)
{
    if (object.morph) {
        const LwsMorph& morph = *object.morph;
        if (!morph.target) {
            report.dropped("morph amounts without a target");
        } else {
            std::string target;
            if (scene.version >= firstVersionWithMorphIdentifiers) {
                const auto found = morphPositions.find(morph.target->id);
                if (found == morphPositions.end())
                    unknown(*morph.target, "MorphTarget");
                target = std::to_string(found->second + 1);
            } else {
                // A number counts objects from 1; below 1 it names the first.
                const std::uint32_t number = morph.target->id;
                const std::size_t index = number < 1 ? 0 : number - 1;
                target = index < positionOfInput.size() ? std::to_string(positionOfInput[index] + 1)
                                                        : std::to_string(number);
            }
            channel("MorphAmount", morph.amount);
            line("MorphTarget", target);
            line("MorphSurfaces", morph.surfaces.empty() ? "0" : morph.surfaces);
        }
    }
    if (object.mixer) {
        line("Plugin DisplacementHandler 1 LW_MorphMixer");
        for (const std::string& body : object.mixer->body)
            line(body);
        line("EndPlugin");
        // The player runs the mixer exactly when no "PluginEnabled" follows; from version 4 the
        // line says what LightWave does, so only a switched-off mixer keeps it.
        const auto& enabled = object.mixer->enabled;
        if (enabled && (scene.version < firstVersionWithIdentifiers || *enabled == "0"))
            line("PluginEnabled", *enabled);
    }
}

void Writer::object(const OutputObject& output, std::size_t position)
{
    const LwsObject& source = *output.source;
    if (output.pivotNull) {
        const std::string stem = source.name.substr(source.name.find_last_of("/\\:") + 1);
        line("AddNullObject", "Pivot_" + stem.substr(0, stem.find('.')));
    } else if (source.isNull) {
        line("AddNullObject", source.name);
    } else {
        line("LoadObjectLayer", source.layer + " " + source.name);
    }
    line("ShowObject", source.show);
    if (output.belowPivot) {
        LwsMotion back;
        const std::array<std::string, 9> values = {scaled(source.pivot[0], -1.0),
                                                   scaled(source.pivot[1], -1.0),
                                                   scaled(source.pivot[2], -1.0),
                                                   "0",
                                                   "0",
                                                   "0",
                                                   "1",
                                                   "1",
                                                   "1"};
        for (std::size_t i = 0; i < source.motion.channels.size(); ++i)
            back.channels.push_back({{{values[i], "0", "0", "0", "0", "0", "0", "0", "0"}}});
        motion("ObjectMotion", back);
    } else {
        motion("ObjectMotion", source.motion);
    }
    if (!output.pivotNull)
        bones(source, position);
    if (output.belowPivot) {
        line("ParentItem", hex8(itemId(ItemKind::Object, position - 1)));
    } else {
        reference("ParentItem", source.parent);
        reference("TargetItem", source.target);
        if (source.goal) {
            // Goals are written as object numbers.
            const std::uint32_t goal = resolve(*source.goal, "GoalObject");
            line("GoalObject", std::to_string(goal & objectIndexMask));
        }
    }
    if (output.pivotNull) {
        line("ShadowOptions", "7");
        out += "\n";
        return;
    }
    morph(source);
    if (source.dissolve)
        channel("ObjectDissolve", *source.dissolve);
    if (source.polygonSize)
        channel("PolygonSize", *source.polygonSize);
    if (source.lineThickness) {
        // The player reads the value and steps over three more words.
        constexpr std::size_t lineThicknessWords = 4;
        const auto given = splitWords(*source.lineThickness);
        std::string words;
        for (std::size_t i = 0; i < lineThicknessWords; ++i)
            words += (i ? " " : "") + (i < given.size() ? std::string(given[i]) : "0");
        line("LineThickness", words);
    }
    for (std::string_view keyword :
         {"UnaffectedByFog", "UnseenByRays", "UnseenByCamera", "UnseenByAlphaChannel"})
        for (const auto& [given, value] : source.switches)
            if (given == keyword)
                line(keyword, value);
    line("ShadowOptions", source.shadowOptions);
    out += "\n";
}

std::string lightTypeOf(const LwsLight& light, ConversionReport& report)
{
    if (light.type)
        return *light.type;
    if (!light.handler) {
        report.defaulted("LightType 0");
        return "0";
    }
    constexpr std::array<std::pair<std::string_view, std::string_view>, 5> types = {{
        {"DistantLight", "0"},
        {"PointLight", "1"},
        {"SpotLight", "2"},
        {"LinearLight", "3"},
        {"AreaLight", "4"},
    }};
    for (const auto& [name, type] : types)
        if (*light.handler == name)
            return std::string(type);
    // Dome and photometric lights have no version 3 type; a point light lights most alike.
    report.changed("lights of a type version 3 lacks, written as point lights", *light.handler);
    return "1";
}

void Writer::light(const LwsLight& source)
{
    line("AddLight");
    line("LightName", source.name);
    line("ShowLight", source.show);
    motion("LightMotion", source.motion);
    reference("ParentItem", source.parent);
    reference("TargetItem", source.target);
    triple("LightColor", source.colour);
    // A normalised intensity counts in units of pi: 3.14159 lights as 1 did before.
    const double factor = source.normalized ? 1.0 / std::numbers::pi : 1.0;
    if (source.normalized)
        report.changed("normalised light intensities divided by pi", source.name);
    channel("LightIntensity", source.intensity, factor);
    if (source.affectCaustics)
        line("AffectCaustics", *source.affectCaustics);
    const std::string type = lightTypeOf(source, report);
    line("LightType", type);
    if (type == spotLightType) {
        if (source.coneAngle)
            channel("LightConeAngle", *source.coneAngle);
        else
            report.dropped("spot lights without a cone angle", source.name);
        if (source.edgeAngle)
            channel("LightEdgeAngle", *source.edgeAngle);
    }
    const LwsFlare& flare = source.flare;
    // From version 4 the flare lines stay when the flare is switched off; version 3 is read as
    // the player reads it.
    const bool switchedOff = scene.version >= firstVersionWithIdentifiers &&
                             source.lensFlare.has_value() && !*source.lensFlare;
    if (flare.intensity && switchedOff)
        report.dropped("switched-off lens flares", source.name);
    if (flare.intensity && !switchedOff) {
        line("LensFlare", "1");
        channel("FlareIntensity", *flare.intensity);
        if (flare.nominalDistance)
            channel("FlareNominalDistance", *flare.nominalDistance);
        channelOr("FlareDissolve", flare.dissolve, "0");
        if (flare.fade)
            line("LensFlareFade", *flare.fade);
        else
            defaultLine("LensFlareFade", "0");
    }
    line("ShadowType", source.shadowType);
    out += "\n";
}

void Writer::camera(const LwsCamera& source)
{
    line("AddCamera");
    line("CameraName", source.name);
    line("ShowCamera", source.show);
    motion("CameraMotion", source.motion);
    reference("ParentItem", source.parent);
    channelOr("ZoomFactor", source.zoom, "3.2");
    // Twelve words in all, which the player steps over.
    line("ResolutionMultiplier", source.resolutionMultiplier);
    line("FrameSize", source.frameSize);
    line("PixelAspect", source.pixelAspect);
    std::string mask = source.maskPosition.value_or("");
    constexpr std::size_t maskWords = 4;
    if (splitWords(mask).size() != maskWords) {
        mask = "0 0 " + source.frameSize;
        report.defaulted("MaskPosition 0 0 WIDTH HEIGHT");
    }
    line("MaskPosition", mask);
    line("MotionBlur", source.motionBlur);
    line("FieldRendering", source.fieldRendering);
    if (source.motionBlur == blurWithLength)
        channelOr("BlurLength", source.blurLength, "0.5");
    // Always written: the player reads one word here and loses it when it is something else.
    if (source.depthOfField && source.focalDistance) {
        line("DepthOfField", "1");
        channel("FocalDistance", *source.focalDistance);
    } else {
        line("DepthOfField", "0");
    }
    reference("TargetItem", source.target);
    out += "\n";
}

void Writer::sceneTail()
{
    if (scene.fgDissolve)
        channel("FGDissolve", *scene.fgDissolve);
    if (scene.nearClip)
        line("NearClipDistance", *scene.nearClip);
    if (scene.backdropColour)
        triple("BackdropColor", *scene.backdropColour);
    // Fog distance and colour count only after the fog type.
    if (scene.fogType)
        line("FogType", *scene.fogType);
    if (scene.fogMinDistance)
        channel("FogMinDistance", *scene.fogMinDistance);
    if (scene.fogMaxDistance)
        channel("FogMaxDistance", *scene.fogMaxDistance);
    if (scene.fogColour)
        triple("FogColor", *scene.fogColour);
    if (scene.bgImage)
        line("BGImage", *scene.bgImage);
    if (scene.fgImage)
        line("FGImage", *scene.fgImage);
}

WrittenScene Writer::write()
{
    layOut();
    out = "LWSC\n3\n\n";
    frames();
    for (std::size_t i = 0; i < objects.size(); ++i)
        object(objects[i], i);
    // The player's ambient light has no default of its own.
    if (scene.ambientColour)
        triple("AmbientColor", *scene.ambientColour);
    else
        defaultLine("AmbientColor", "1 1 1");
    channelOr("AmbientIntensity", scene.ambientIntensity, "0.25");
    out += "\n";
    for (const LwsLight& source : scene.lights)
        light(source);
    for (const LwsCamera& source : scene.cameras)
        camera(source);
    sceneTail();
    return {std::move(out), objects.size()};
}

} // namespace

WrittenScene writeLwsScene(const LwsScene& scene, const std::string& path, ConversionReport& report)
{
    return Writer(scene, path, report).write();
}
