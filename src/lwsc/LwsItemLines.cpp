#include "lwsc/LwsItemLines.h"

#include "lwsc/ConversionReport.h"
#include "lwsc/LwsBlocks.h"

#include <algorithm>
#include <array>

namespace {

// Written after an object's motion by newer versions; they have no version 3 meaning, and
// written in place they would push "ParentItem" out of where the player looks for it.
constexpr std::array<std::string_view, 15> ikAndPathLines = {"IKInitCustomFrame",
                                                             "GoalStrength",
                                                             "IKFKBlending",
                                                             "IKSoftMin",
                                                             "IKSoftMax",
                                                             "CtrlPosItemBlend",
                                                             "CtrlRotItemBlend",
                                                             "CtrlScaleItemBlend",
                                                             "PathAlignLookAhead",
                                                             "PathAlignMaxLookSteps",
                                                             "PathAlignReliableDist",
                                                             "IKInitialState",
                                                             "UseIKChainValues",
                                                             "SplineFlags",
                                                             "SplineFit"};

constexpr std::array<std::string_view, 4> objectSwitches = {
    "UnaffectedByFog", "UnseenByRays", "UnseenByCamera", "UnseenByAlphaChannel"};

template <std::size_t N>
bool isOneOf(const std::array<std::string_view, N>& list, std::string_view word)
{
    return std::find(list.begin(), list.end(), word) != list.end();
}

// "ShowObject 7 -1 0.2 0.4 0.6" and the like: the player skips exactly two words.
std::string firstTwoWords(const LwsLine& line, const char* fallback)
{
    const auto words = line.words();
    if (words.size() < 2)
        return fallback;
    return std::string(words[0]) + " " + std::string(words[1]);
}

std::string firstWord(const LineCursor& lines, const LwsLine& line)
{
    const auto words = line.words();
    if (words.empty())
        lines.failAt(line, "\"" + std::string(line.keyword) + "\" has no value");
    return std::string(words[0]);
}

// The item named by line's first word: "ParentItem 10000002".
LwsReference firstReference(const LineCursor& lines, const LwsLine& line, int base = 16)
{
    return readReference(lines, line, firstWord(lines, line), base);
}

} // namespace

std::string oneWordName(SceneContext& context, std::string_view name, const char* fallback)
{
    if (name.empty())
        return fallback;
    std::string word(name);
    std::replace(word.begin(), word.end(), ' ', '_');
    std::replace(word.begin(), word.end(), '\t', '_');
    if (word != name)
        context.report.changed("names with blanks written with underscores", word);
    return word;
}

namespace {

struct PluginLine {
    std::string pluginClass;
    std::string name;
};

PluginLine pluginOf(const LwsLine& line)
{
    const auto words = line.words();
    PluginLine plugin;
    if (!words.empty())
        plugin.pluginClass = std::string(words[0]);
    if (words.size() > 2)
        plugin.name = std::string(words[2]);
    return plugin;
}

// The morph set-up inside a deformer plug-in's body, in the version 3 keywords; errors name the
// plug-in's line.
bool readMorphBody(SceneContext& context, const LwsLine& plugin,
                   const std::vector<std::string>& body, LwsObject& object)
{
    LwsMorph morph;
    bool found = false;
    for (const std::string& text : body) {
        const auto words = splitWords(text);
        if (words.size() < 2)
            continue;
        if (words[0] == "MorphAmount" && isNumber(words[1])) {
            morph.amount.constant = std::string(words[1]);
            found = true;
        } else if (words[0] == "MorphTarget") {
            morph.target = readReference(context.lines, plugin, words[1]);
        } else if (words[0] == "MorphSurfaces") {
            morph.surfaces = std::string(words[1]);
        }
    }
    if (found)
        object.morph = std::move(morph);
    return found;
}

void readPlugin(SceneContext& context, const LwsLine& line, LwsObject& object)
{
    const PluginLine plugin = pluginOf(line);
    if (plugin.name == "LW_MorphMixer") {
        object.mixer = readPluginBlock(context.lines, line);
        return;
    }
    if (plugin.name == "_Morphing") {
        if (readMorphBody(context, line, readPluginBlock(context.lines, line).body, object))
            return;
    } else {
        skipBlock(context.lines, line);
    }
    context.report.dropped("plug-in blocks", plugin.pluginClass + " " + plugin.name);
}

bool readObjectLine(SceneContext& context, const LwsLine& line, LwsObject& object)
{
    LineCursor& lines = context.lines;
    ConversionReport& report = context.report;
    const std::uint32_t version = context.scene.version;
    const std::string_view keyword = line.keyword;
    if (keyword == "ShowObject") {
        object.show = firstTwoWords(line, "6 3");
    } else if (keyword == "ObjectMotion") {
        object.motion = readMotion(lines, report);
    } else if (keyword == "BoneFalloffType") {
        object.boneFalloff = firstWord(lines, line);
    } else if (keyword == "ParentItem") {
        object.parent = firstReference(lines, line);
    } else if (keyword == "TargetItem") {
        object.target = firstReference(lines, line);
    } else if (keyword == "GoalObject") {
        object.goal = firstReference(lines, line, version >= firstVersionWithIdentifiers ? 16 : 10);
    } else if (keyword == "MorphAmount") {
        if (!object.morph)
            object.morph.emplace();
        object.morph->amount = readChannel(lines, line, report);
    } else if (keyword == "MorphTarget") {
        if (!object.morph)
            object.morph.emplace();
        // -1 names no target.
        const std::string target = firstWord(lines, line);
        if (target != "-1")
            object.morph->target = readReference(
                lines, line, target, version >= firstVersionWithMorphIdentifiers ? 16 : 10);
    } else if (keyword == "MorphSurfaces") {
        if (!object.morph)
            object.morph.emplace();
        object.morph->surfaces = firstWord(lines, line);
    } else if (keyword == "Plugin") {
        readPlugin(context, line, object);
    } else if (keyword == "ObjectDissolve") {
        object.dissolve = readChannel(lines, line, report);
    } else if (keyword == "PolygonSize") {
        object.polygonSize = readChannel(lines, line, report);
    } else if (keyword == "LineThickness") {
        object.lineThickness = std::string(line.rest);
    } else if (isOneOf(objectSwitches, keyword)) {
        object.switches.emplace_back(keyword, line.rest.empty() ? "1" : line.rest);
    } else if (keyword == "ShadowOptions") {
        object.shadowOptions = firstWord(lines, line);
    } else if (keyword == "PivotPosition") {
        object.pivot = readTriple(lines, line);
    } else {
        return false;
    }
    return true;
}

bool readBoneLine(SceneContext& context, const LwsLine& line, LwsBone& bone)
{
    LineCursor& lines = context.lines;
    const std::string_view keyword = line.keyword;
    auto setting = [&](std::string& field) { field = firstWord(lines, line); };
    if (keyword == "BoneName")
        bone.name = oneWordName(context, line.rest, "Bone");
    else if (keyword == "ShowBone")
        bone.show = firstTwoWords(line, "1 -1");
    else if (keyword == "BoneActive")
        setting(bone.active);
    else if (keyword == "BoneRestPosition")
        bone.restPosition = readTriple(lines, line);
    else if (keyword == "BoneRestDirection")
        bone.restDirection = readTriple(lines, line);
    else if (keyword == "BoneRestLength")
        setting(bone.restLength);
    else if (keyword == "ScaleBoneStrength")
        setting(bone.scaleStrength);
    else if (keyword == "BoneStrength")
        setting(bone.strength);
    else if (keyword == "BoneMinRange")
        setting(bone.minRange);
    else if (keyword == "BoneMaxRange")
        setting(bone.maxRange);
    else if (keyword == "BoneType")
        setting(bone.type);
    else if (keyword == "BoneMotion")
        bone.motion = readMotion(lines, context.report);
    else if (keyword == "ParentItem" && !context.boneParentSeen) {
        bone.parent = firstReference(lines, line);
        context.boneParentSeen = true;
    } else
        return false;
    return true;
}

bool readLightLine(SceneContext& context, const LwsLine& line, LwsLight& light)
{
    LineCursor& lines = context.lines;
    ConversionReport& report = context.report;
    const std::string_view keyword = line.keyword;
    if (keyword == "LightName") {
        light.name = oneWordName(context, line.rest, "Light");
    } else if (keyword == "ShowLight") {
        light.show = firstTwoWords(line, "1 5");
    } else if (keyword == "LightMotion") {
        light.motion = readMotion(lines, report);
    } else if (keyword == "ParentItem") {
        light.parent = firstReference(lines, line);
    } else if (keyword == "TargetItem") {
        light.target = firstReference(lines, line);
    } else if (keyword == "LightColor") {
        light.colour = readTriple(lines, line);
    } else if (keyword == "LightIntensity") {
        light.intensity = readChannel(lines, line, report);
    } else if (keyword == "Normalize") {
        light.normalized = firstWord(lines, line) != "0";
    } else if (keyword == "AffectCaustics") {
        light.affectCaustics = firstWord(lines, line);
    } else if (keyword == "LightType") {
        light.type = firstWord(lines, line);
    } else if (keyword == "LightConeAngle") {
        light.coneAngle = readChannel(lines, line, report);
    } else if (keyword == "LightEdgeAngle") {
        light.edgeAngle = readChannel(lines, line, report);
    } else if (keyword == "LensFlare") {
        light.lensFlare = firstWord(lines, line) != "0";
    } else if (keyword == "FlareIntensity") {
        light.flare.intensity = readChannel(lines, line, report);
    } else if (keyword == "FlareNominalDistance") {
        light.flare.nominalDistance = readChannel(lines, line, report);
    } else if (keyword == "FlareDissolve") {
        light.flare.dissolve = readChannel(lines, line, report);
    } else if (keyword == "LensFlareFade") {
        light.flare.fade = firstWord(lines, line);
    } else if (keyword == "ShadowType") {
        light.shadowType = firstWord(lines, line);
    } else if (keyword == "Plugin" && pluginOf(line).pluginClass == "LightHandler") {
        light.handler = pluginOf(line).name;
        skipBlock(lines, line);
        report.dropped("light handler blocks", *light.handler);
    } else {
        return false;
    }
    return true;
}

bool readCameraLine(SceneContext& context, const LwsLine& line, LwsCamera& camera)
{
    LineCursor& lines = context.lines;
    ConversionReport& report = context.report;
    const std::string_view keyword = line.keyword;
    const std::string_view previous = context.previousCameraKeyword;
    context.previousCameraKeyword = keyword;
    if (keyword == "CameraName") {
        camera.name = oneWordName(context, line.rest, "Camera");
    } else if (keyword == "ShowCamera") {
        camera.show = firstTwoWords(line, "1 2");
    } else if (keyword == "CameraMotion") {
        camera.motion = readMotion(lines, report);
    } else if (keyword == "ParentItem") {
        camera.parent = firstReference(lines, line);
    } else if (keyword == "TargetItem") {
        camera.target = firstReference(lines, line);
    } else if (keyword == "ZoomFactor") {
        camera.zoom = readChannel(lines, line, report);
    } else if (keyword == "ResolutionMultiplier") {
        camera.resolutionMultiplier = firstWord(lines, line);
    } else if (keyword == "FrameSize") {
        camera.frameSize = firstTwoWords(line, "640 480");
    } else if (keyword == "PixelAspect") {
        camera.pixelAspect = firstWord(lines, line);
    } else if (keyword == "MaskPosition") {
        camera.maskPosition = std::string(line.rest);
    } else if (keyword == "MotionBlur") {
        camera.motionBlur = firstWord(lines, line);
    } else if (keyword == "FieldRendering") {
        camera.fieldRendering = firstWord(lines, line);
    } else if (keyword == "BlurLength") {
        camera.blurLength = readChannel(lines, line, report);
    } else if (keyword == "DepthOfField" || keyword == "FocalDistance") {
        // The player turns a focal distance into camera shake. Version 3 is the player's own
        // format, so there it counts where the player looks for it: right after the blur lines.
        // In later versions depth of field is LightWave's render effect only.
        const bool version3 = context.scene.version < firstVersionWithIdentifiers;
        if (keyword == "DepthOfField") {
            const bool inPlace = previous == "FieldRendering" || previous == "BlurLength";
            camera.depthOfField = version3 && inPlace && firstWord(lines, line) != "0";
        } else if (version3 && previous == "DepthOfField") {
            camera.focalDistance = readChannel(lines, line, report);
        } else {
            readChannel(lines, line, report);
        }
        if (!version3)
            report.dropped("depth of field (the player would shake the camera by it)", keyword);
    } else if (keyword == "Plugin" && pluginOf(line).pluginClass == "CameraHandler") {
        const std::string name = pluginOf(line).name;
        skipBlock(lines, line);
        if (name == "Perspective")
            report.dropped("camera handler blocks", name);
        else
            report.dropped("camera handlers version 3 cannot express (drawn as perspective)", name);
    } else {
        return false;
    }
    return true;
}

} // namespace

bool readItemLine(SceneContext& context, const LwsLine& line)
{
    LwsScene& scene = context.scene;
    switch (context.current) {
    case SceneContext::Current::None:
        return false;
    case SceneContext::Current::Object:
        return readObjectLine(context, line, scene.objects.back());
    case SceneContext::Current::Bone:
        // The player's bone block ends at its parent: nothing else of a bone can be written.
        if (line.keyword == "GoalObject") {
            context.report.dropped("bone IK goals");
            return true;
        }
        // Lines a bone does not have belong to its object.
        return readBoneLine(context, line, scene.objects.back().bones.back()) ||
               readObjectLine(context, line, scene.objects.back());
    case SceneContext::Current::Light:
        return readLightLine(context, line, scene.lights.back());
    case SceneContext::Current::Camera:
        return readCameraLine(context, line, scene.cameras.back());
    }
    return false;
}

void dropLine(SceneContext& context, const LwsLine& line)
{
    ConversionReport& report = context.report;
    const bool sceneWide = context.current == SceneContext::Current::None;
    if (line.keyword == "Plugin") {
        const PluginLine plugin = pluginOf(line);
        report.dropped(sceneWide ? "scene-wide plug-in blocks" : "plug-in blocks",
                       plugin.pluginClass + " " + plugin.name);
        skipBlock(context.lines, line);
    } else if (opensBlock(context.lines, line)) {
        const auto words = line.words();
        const std::string_view name =
            line.keyword == "{" && !words.empty() ? words[0] : line.keyword;
        report.dropped(sceneWide ? "scene-wide blocks" : "blocks", name);
        skipBlock(context.lines, line);
    } else if (isOneOf(ikAndPathLines, line.keyword)) {
        report.dropped("IK and path-align lines", line.keyword);
    } else if (line.keyword == "PivotRotation") {
        report.dropped("pivot rotations");
    } else if (line.keyword == "ChangeObject") {
        report.dropped("editor lines", line.keyword);
    } else {
        report.dropped("settings the player does not read", line.keyword);
    }
}
