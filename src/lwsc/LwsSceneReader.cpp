#include "lwsc/LwsSceneReader.h"

#include "lwsc/ConversionReport.h"
#include "lwsc/LwsBlocks.h"
#include "lwsc/LwsItemLines.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

constexpr std::array<std::uint32_t, 4> convertibleVersions = {3, 4, 5, 8};

constexpr std::array<std::string_view, 8> frameKeywords = {
    "FirstFrame",       "LastFrame",        "FrameStep",    "PreviewFirstFrame",
    "PreviewLastFrame", "PreviewFrameStep", "CurrentFrame", "FramesPerSecond"};

std::uint32_t readVersion(LineCursor& lines)
{
    if (lines.atEnd() || lines.peek().keyword != "LWSC" || !lines.peek().rest.empty())
        lines.fail("not a LightWave scene: the first line is not \"LWSC\"");
    lines.take();
    const LwsLine& line = lines.take();
    std::uint32_t version = 0;
    const auto [end, error] =
        std::from_chars(line.keyword.data(), line.keyword.data() + line.keyword.size(), version);
    if (error != std::errc() || end != line.keyword.data() + line.keyword.size() ||
        !line.rest.empty())
        lines.failAt(line, "the version line holds \"" + std::string(line.keyword) + "\"");
    if (std::find(convertibleVersions.begin(), convertibleVersions.end(), version) ==
        convertibleVersions.end())
        lines.failAt(line, "scene version " + std::to_string(version) +
                               " cannot be converted (versions 3, 4, 5 and 8 can)");
    return version;
}

// The one number after a keyword; the player would take the next line's word for a missing one.
std::string readNumber(const LineCursor& lines, const LwsLine& line)
{
    const auto words = line.words();
    if (words.empty() || !isNumber(words[0]))
        lines.failAt(line, "\"" + std::string(line.keyword) + "\" needs a number");
    return std::string(words[0]);
}

// Lines that name the scene as a whole, wherever they stand. True when line was one.
bool readSceneLine(SceneContext& context, const LwsLine& line)
{
    LwsScene& scene = context.scene;
    LineCursor& lines = context.lines;
    const std::string_view keyword = line.keyword;
    if (std::find(frameKeywords.begin(), frameKeywords.end(), keyword) != frameKeywords.end()) {
        scene.frameLines.emplace_back(keyword, readNumber(lines, line));
    } else if (keyword == "AmbientColor") {
        scene.ambientColour = readTriple(lines, line);
    } else if (keyword == "AmbientIntensity") {
        scene.ambientIntensity = readChannel(lines, line, context.report);
    } else if (keyword == "BackdropColor") {
        scene.backdropColour = readTriple(lines, line);
    } else if (keyword == "FogType") {
        scene.fogType = readNumber(lines, line);
    } else if (keyword == "FogMinDistance") {
        scene.fogMinDistance = readChannel(lines, line, context.report);
    } else if (keyword == "FogMaxDistance") {
        scene.fogMaxDistance = readChannel(lines, line, context.report);
    } else if (keyword == "FogColor") {
        scene.fogColour = readTriple(lines, line);
    } else if (keyword == "FGDissolve") {
        scene.fgDissolve = readChannel(lines, line, context.report);
    } else if (keyword == "NearClipDistance") {
        scene.nearClip = readNumber(lines, line);
    } else if (keyword == "BGImage" || keyword == "FGImage") {
        // The player takes the fifth word as the quoted picture name.
        constexpr std::size_t nameWord = 4;
        const auto words = line.words();
        if (words.size() <= nameWord || words[nameWord].front() != '"') {
            context.report.dropped("screen images not in the version 3 form", keyword);
            return true;
        }
        (keyword == "BGImage" ? scene.bgImage : scene.fgImage) = std::string(line.rest);
    } else {
        return false;
    }
    return true;
}

void declareItem(SceneContext& context, const LwsLine& line)
{
    LwsScene& scene = context.scene;
    const bool identified = scene.version >= firstVersionWithIdentifiers;
    auto words = line.words();
    // Version 3 numbers items by load order; so do the identifiers made for it here.
    auto takeId = [&](ItemKind kind, std::uint32_t loadOrder) {
        if (!identified)
            return (static_cast<std::uint32_t>(kind) << itemKindShift) | loadOrder;
        if (words.empty())
            context.lines.failAt(line,
                                 "\"" + std::string(line.keyword) + "\" has no item identifier");
        const std::uint32_t id = readReference(context.lines, line, words[0]).id;
        words.erase(words.begin());
        return id;
    };
    // The text from the first word not yet taken to the end of the line.
    auto remainingText = [&] {
        if (words.empty())
            return std::string();
        const char* begin = words.front().data();
        const char* end = words.back().data() + words.back().size();
        return std::string(begin, end);
    };
    const std::string_view keyword = line.keyword;
    if (keyword == "LoadObjectLayer") {
        if (words.empty())
            context.lines.failAt(line, "\"LoadObjectLayer\" has no layer number");
        LwsObject object;
        object.layer = std::string(words[0]);
        words.erase(words.begin());
        object.id = takeId(ItemKind::Object, static_cast<std::uint32_t>(scene.objects.size()));
        object.name = remainingText();
        if (object.name.empty())
            context.lines.failAt(line, "\"LoadObjectLayer\" has no object file");
        // The player reads the file as one word; its PO2 file must then carry the same name.
        object.name = oneWordName(context, object.name, "");
        object.line = line.number;
        scene.objects.push_back(std::move(object));
        context.current = SceneContext::Current::Object;
    } else if (keyword == "AddNullObject") {
        LwsObject object;
        object.isNull = true;
        object.id = takeId(ItemKind::Object, static_cast<std::uint32_t>(scene.objects.size()));
        object.name = oneWordName(context, remainingText(), "Null");
        object.line = line.number;
        scene.objects.push_back(std::move(object));
        context.current = SceneContext::Current::Object;
    } else if (keyword == "AddLight") {
        LwsLight light;
        light.id = takeId(ItemKind::Light, static_cast<std::uint32_t>(scene.lights.size()));
        light.line = line.number;
        scene.lights.push_back(std::move(light));
        context.current = SceneContext::Current::Light;
    } else if (keyword == "AddCamera") {
        LwsCamera camera;
        camera.id = takeId(ItemKind::Camera, static_cast<std::uint32_t>(scene.cameras.size()));
        camera.line = line.number;
        scene.cameras.push_back(std::move(camera));
        context.current = SceneContext::Current::Camera;
    } else { // AddBone
        if (scene.objects.empty())
            context.lines.failAt(line, "a bone before any object");
        LwsObject& owner = scene.objects.back();
        constexpr int boneShift = 16;
        LwsBone bone;
        bone.id =
            takeId(ItemKind::Bone, static_cast<std::uint32_t>(owner.bones.size()) << boneShift |
                                       static_cast<std::uint32_t>(scene.objects.size() - 1));
        bone.line = line.number;
        owner.bones.push_back(std::move(bone));
        context.current = SceneContext::Current::Bone;
        context.boneParentSeen = false;
    }
}

bool declaresItem(std::string_view keyword)
{
    return keyword == "LoadObjectLayer" || keyword == "AddNullObject" || keyword == "AddLight" ||
           keyword == "AddCamera" || keyword == "AddBone";
}

// Every item needs a motion: the player cannot place one without.
void checkMotions(const LineCursor& lines, const LwsScene& scene)
{
    auto check = [&](const LwsMotion& motion, std::size_t line, const char* what) {
        if (motion.channels.empty())
            lines.failAt(line, std::string("the ") + what + " has no motion");
    };
    for (const LwsObject& object : scene.objects) {
        check(object.motion, object.line, "object");
        for (const LwsBone& bone : object.bones)
            check(bone.motion, bone.line, "bone");
    }
    for (const LwsLight& light : scene.lights)
        check(light.motion, light.line, "light");
    for (const LwsCamera& camera : scene.cameras)
        check(camera.motion, camera.line, "camera");
}

} // namespace

LwsScene readLwsScene(std::string_view text, const std::string& path, ConversionReport& report)
{
    LineCursor lines(text, path);
    LwsScene scene;
    scene.version = readVersion(lines);
    SceneContext context{lines, report, scene, SceneContext::Current::None, false, {}};
    while (!lines.atEnd()) {
        const LwsLine& line = lines.take();
        if (declaresItem(line.keyword))
            declareItem(context, line);
        else if (!readSceneLine(context, line) && !readItemLine(context, line))
            dropLine(context, line);
    }
    checkMotions(lines, scene);
    return scene;
}
