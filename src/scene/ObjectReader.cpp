#include "scene/ItemReaders.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"

#include "anim/Motion.h"
#include "mesh/Mesh.h"
#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// The words that end the scan for the object's optional parts.
constexpr std::array<std::string_view, 10> optionalPartKeywords = {
    "ObjectDissolve", "ShadowOptions", "MorphAmount",    "UnseenByRays",  "UnaffectedByFog",
    "PolygonSize",    "Plugin",        "UnseenByCamera", "LineThickness", "UnseenByAlphaChannel"};

bool isOptionalPart(std::string_view word)
{
    return std::find(optionalPartKeywords.begin(), optionalPartKeywords.end(), word) !=
           optionalPartKeywords.end();
}

void readBones(MappedTextFile& file, SceneObject& object)
{
    // The count is the mesh's, not the file's; a null object has no mesh and so no bones.
    const int boneCount = object.mesh ? object.mesh->boneCount : 0;
    object.bones.reserve(static_cast<std::size_t>(boneCount));
    for (int i = 0; i < boneCount; ++i)
        object.bones.push_back(readBoneBlock(file));
    for (const auto& bone : object.bones) {
        if (bone->parentRef->kind != ParentRef::bone)
            bone->parent = &object;
        else if (bone->parentRef->index < object.bones.size())
            bone->parent = object.bones[bone->parentRef->index].get();
        // A bone index past the object's bones leaves the bone without a parent.
    }
}

std::string_view readMorphAmount(MappedTextFile& file, SceneObject& object)
{
    Channel amount = parseChannel(file);
    std::int32_t targetNumber = -1;
    std::string_view word = file.readWordView();
    if (word == "MorphTarget")
        file.readInt(targetNumber);
    word = file.readWordView();
    if (word == "MorphSurfaces")
        file.skipWord();
    // A null object has nothing to morph: its morph words are read and dropped.
    if (object.mesh) {
        object.morphAmount = std::move(amount);
        object.morphTargetNumber = targetNumber;
        object.morphMesh = std::make_unique<Mesh>(object.mesh->makeWorkingCopy());
    }
    return file.readWordView();
}

std::string_view readMorphMixer(MappedTextFile& file, SceneObject& object)
{
    file.skipWords(2);
    if (file.readWordView() != "LW_MorphMixer")
        throw LoadError("Not EndoMorphMixer");
    if (object.mesh && !object.morphMesh)
        object.morphMesh = std::make_unique<Mesh>(object.mesh->makeWorkingCopy());
    std::int32_t channelCount = 0;
    std::int32_t groupCount = 0;
    file.readInt(channelCount);
    file.readInt(groupCount);
    // Envelopes beyond the file's channel count or the mesh's morphs are read and dropped, so
    // drawing may index both arrays by every stored envelope.
    const std::int32_t morphCount = object.mesh ? object.mesh->morphCount : 0;
    const auto kept = static_cast<std::size_t>(std::max(0, std::min(channelCount, morphCount)));
    for (std::int32_t group = 0; group < groupCount && !file.atEnd(); ++group) {
        file.skipWords(2);
        std::int32_t morphsInGroup = 0;
        file.readInt(morphsInGroup);
        file.skipWords(2);
        for (std::int32_t i = 0; i < morphsInGroup && !file.atEnd(); ++i) {
            file.skipWords(4);
            Envelope envelope = parseEnvelope(file);
            if (object.morphEnvelopes.size() < kept)
                object.morphEnvelopes.push_back(std::move(envelope));
            file.skipWord();
        }
    }
    object.morphChannelCount = static_cast<std::int32_t>(object.morphEnvelopes.size());
    file.skipWord();
    std::string_view word = file.readWordView();
    // The mixer runs exactly when "PluginEnabled" does not follow, whatever its value says.
    if (word == "PluginEnabled") {
        file.skipWord();
        return file.readWordView();
    }
    if (object.mesh)
        object.flags |= ObjectFlag::morphMixer;
    return word;
}

} // namespace

std::unique_ptr<SceneObject> readObjectBlock(MappedTextFile& file, Scene& scene, const Mesh* mesh)
{
    auto object = std::make_unique<SceneObject>();
    object->mesh = mesh;

    std::string_view word = file.readWordView();
    if (word == "ShowObject") {
        file.skipWords(2);
        word = file.readWordView();
    }
    if (word == "SchematicPosition") {
        file.skipWords(2);
        word = file.readWordView();
    }
    if (word != "ObjectMotion")
        throw LoadError("Not ObjectMotion");
    object->motion = parseMotion(file);
    word = file.readWordView();

    if (word == "BoneFalloffType") {
        file.skipWord();
        readBones(file, *object);
        word = file.readWordView();
    }
    word = skipControllerLines(file, word);
    if (word == "ParentItem")
        object->parentRef = parseParentRef(file);

    // Everything up to the first optional part is LightWave settings the player does not use.
    while (!isOptionalPart(word) && !file.atEnd())
        word = file.readWordView();

    // Each part is tested once, in this order: a part written after a later one is not seen.
    if (word == "MorphAmount")
        word = readMorphAmount(file, *object);
    if (word == "Plugin")
        word = readMorphMixer(file, *object);
    if (word == "ObjectDissolve") {
        Channel dissolve = parseChannel(file);
        // A constant dissolve this close to 1 hides the object for the whole demo.
        if (!dissolve.envelope && dissolve.value > 0.9999f)
            object->dissolve.reset();
        else
            object->dissolve = std::move(dissolve);
        word = file.readWordView();
    }
    if (word == "PolygonSize") {
        object->polygonSize = parseChannel(file);
        word = file.readWordView();
    }
    if (word == "LineThickness") {
        object->flags |=
            file.readWordView() == "2" ? ObjectFlag::combineScale2 : ObjectFlag::combineScale4;
        file.skipWords(3);
        word = file.readWordView();
    }
    constexpr std::pair<std::string_view, std::uint32_t> switches[] = {
        {"UnaffectedByFog", ObjectFlag::unlit},
        {"UnseenByRays", ObjectFlag::additive},
        {"UnseenByCamera", ObjectFlag::noDepthTest},
        {"UnseenByAlphaChannel", ObjectFlag::noBlending},
    };
    for (const auto& [keyword, flag] : switches) {
        if (word == keyword) {
            object->flags |= flag;
            file.skipWord();
            word = file.readWordView();
        }
    }
    // The block ends at its shadow options, without reading past their value.
    if (word == "ShadowOptions") {
        const std::string_view value = file.readWordView();
        if (value == "2") {
            object->flags |= ObjectFlag::shadowCaster;
            ++scene.shadowCasterCount;
        } else if (value == "4") {
            object->flags |= ObjectFlag::shadowReceiver;
            ++scene.shadowReceiverCount;
        }
    }
    return object;
}
