#include "scene/SceneLoader.h"

#include "scene/ItemReaders.h"
#include "scene/Light.h"
#include "scene/Scene.h"

#include "image/TextureCache.h"
#include "mesh/MeshRegistry.h"
#include "shell/DemoConfig.h"
#include "shell/LoadError.h"
#include "shell/MappedTextFile.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

constexpr std::uint32_t sceneFormatVersion = 3;

struct FrameRange {
    std::uint32_t firstFrame = 0; // a missing "FirstFrame" or "LastFrame" counts as frame 0
    std::uint32_t lastFrame = 0;
    std::uint32_t framesPerSecond = 0;
};

Rgba readColour(MappedTextFile& file)
{
    Rgba colour;
    file.readFloat(colour.red);
    file.readFloat(colour.green);
    file.readFloat(colour.blue);
    colour.alpha = 1.0f;
    return colour;
}

// Where meshes and textures come from while a scene file is read.
struct SceneSources {
    MeshRegistry& meshes;
    TextureCache& textures;
};

// Runs every scene keyword's handler on the current word, in the table's order. A handler may
// replace the current word; the keywords after it are then tested on the new word.
void readSceneWord(MappedTextFile& file, Scene& scene, const SceneSources& sources,
                   FrameRange& frames, std::string_view& word)
{
    if (word == "FGDissolve")
        scene.fgDissolve = parseChannel(file);
    if (word == "NearClipDistance")
        file.readFloat(scene.nearClip);
    if (word == "FirstFrame")
        file.readUnsigned(frames.firstFrame);
    if (word == "LastFrame")
        file.readUnsigned(frames.lastFrame);
    if (word == "FramesPerSecond")
        file.readUnsigned(frames.framesPerSecond);
    if (word == "FogType")
        file.readInt(scene.fogType);
    if (word == "FogMaxDistance")
        scene.fogMaxDistance = parseChannel(file);
    // Fog distance and colour count only after linear fog is switched on.
    if (scene.fogType == 1 && word == "FogMinDistance")
        scene.fogMinDistance = parseChannel(file);
    if (scene.fogType == 1 && word == "FogColor")
        scene.fogColour = readColour(file);
    if (word == "BackdropColor")
        scene.backdropColour = readColour(file);
    if (word == "LightName")
        scene.lights.push_back(readLightBlock(file, scene, sources.textures));
    if (word == "LoadObjectLayer") {
        file.skipWord();
        const Mesh& mesh = sources.meshes.get(file.readWord());
        scene.objects.push_back(readObjectBlock(file, scene, &mesh));
    }
    if (word == "AddNullObject") {
        file.skipWord();
        scene.objects.push_back(readObjectBlock(file, scene, nullptr));
    }
    if (word == "BGImage")
        scene.bgImage = &sources.textures.getFromSceneToken(file);
    if (word == "FGImage")
        scene.fgImage = &sources.textures.getFromSceneToken(file);
    if (word == "AmbientColor") {
        scene.ambientColour = readColour(file);
        // The word after the colour is looked at here and by "CameraMotion" only.
        word = file.readWordView();
        if (word == "AmbientIntensity")
            scene.ambientIntensity = parseChannel(file);
    }
    if (word == "CameraMotion")
        scene.cameras.push_back(readCameraBlock(file));
}

// The time of a frame count, divided in extended precision and kept in single.
float framesToSeconds(std::uint32_t frames, std::uint32_t framesPerSecond)
{
    return static_cast<float>(static_cast<long double>(frames) /
                              static_cast<long double>(framesPerSecond));
}

template <class Item>
SceneItem* itemAt(const std::vector<std::unique_ptr<Item>>& items, std::uint16_t index)
{
    return index < items.size() ? items[index].get() : nullptr;
}

// An identifier past the end of its list names nothing, and bones are linked by their object.
void resolveParent(Scene& scene, SceneItem& item)
{
    if (!item.parentRef)
        return;
    const ParentRef& ref = *item.parentRef;
    if (ref.kind == ParentRef::object)
        item.parent = itemAt(scene.objects, ref.index);
    else if (ref.kind == ParentRef::light)
        item.parent = itemAt(scene.lights, ref.index);
    else if (ref.kind == ParentRef::camera)
        item.parent = itemAt(scene.cameras, ref.index);
}

// Parent and morph-target links may close into loops, which would make the matrix and morph code
// recurse forever: in each loop the member that comes first in `nodes` loses its link. Each node
// is walked once, so a chain as long as the file allows costs no more than its length. Links to
// nodes outside `nodes` end a walk.
template <class Node> void breakLoops(const std::vector<Node*>& nodes, Node* Node::*link)
{
    std::unordered_map<const Node*, std::size_t> position;
    position.reserve(nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i)
        position.emplace(nodes[i], i);
    enum class Mark : unsigned char { unseen, onPath, done };
    std::vector<Mark> marks(nodes.size(), Mark::unseen);
    std::vector<std::size_t> path;
    for (std::size_t start = 0; start < nodes.size(); ++start) {
        path.clear();
        std::optional<std::size_t> at = start;
        while (at && marks[*at] == Mark::unseen) {
            marks[*at] = Mark::onPath;
            path.push_back(*at);
            const Node* next = nodes[*at]->*link;
            const auto found = next ? position.find(next) : position.end();
            at = found == position.end() ? std::nullopt : std::optional<std::size_t>(found->second);
        }
        if (at && marks[*at] == Mark::onPath) {
            // The loop runs from *at to the end of the path.
            std::size_t first = *at;
            for (auto member = path.rbegin(); *member != *at; ++member)
                first = std::min(first, *member);
            nodes[first]->*link = nullptr;
        }
        for (std::size_t visited : path)
            marks[visited] = Mark::done;
    }
}

void resolveMorphTarget(Scene& scene, SceneObject& object)
{
    if (object.morphTargetNumber == -1)
        return;
    // Numbers count from 1; those below 1 name the first object.
    const std::size_t position =
        object.morphTargetNumber < 1 ? 0 : static_cast<std::size_t>(object.morphTargetNumber) - 1;
    SceneObject* target = position < scene.objects.size() ? scene.objects[position].get() : nullptr;
    // Blending needs a mesh at both ends; a null object gives nothing to blend towards.
    object.morphTarget = target && target->mesh ? target : nullptr;
}

void resolveAndIndex(Scene& scene)
{
    for (const auto& object : scene.objects) {
        resolveParent(scene, *object);
        resolveMorphTarget(scene, *object);
    }
    for (const auto& object : scene.objects) {
        if (object->has(ObjectFlag::shadowCaster))
            scene.shadowCasters.push_back(object.get());
        if (object->has(ObjectFlag::shadowReceiver))
            scene.shadowReceivers.push_back(object.get());
    }
    for (const auto& light : scene.lights)
        resolveParent(scene, *light);
    for (const auto& light : scene.lights) {
        if (light->hasShadowTexture())
            scene.shadowLights.push_back(light.get());
        if (!light->isSwitchedOff())
            scene.activeLights.push_back(light.get());
        if (light->flareIntensity)
            scene.flareLights.push_back(light.get());
    }
    for (const auto& camera : scene.cameras)
        resolveParent(scene, *camera);

    std::vector<SceneItem*> items;
    std::vector<SceneObject*> objects;
    for (const auto& object : scene.objects) {
        items.push_back(object.get());
        objects.push_back(object.get());
    }
    for (const auto& light : scene.lights)
        items.push_back(light.get());
    for (const auto& camera : scene.cameras)
        items.push_back(camera.get());
    breakLoops(items, &SceneItem::parent);
    breakLoops(objects, &SceneObject::morphTarget);
    // A bone's chain runs through its object's bones to the object, where the object's own
    // chain takes over.
    for (const auto& object : scene.objects) {
        std::vector<SceneItem*> bones;
        for (const auto& bone : object->bones)
            bones.push_back(bone.get());
        breakLoops(bones, &SceneItem::parent);
    }
}

} // namespace

std::unique_ptr<Scene> loadScene(const std::string& name, const DemoPaths& paths,
                                 MeshRegistry& meshes, TextureCache& textures)
{
    auto scene = readScene(name, paths, meshes, textures);
    uploadScene(*scene);
    return scene;
}

void uploadScene(Scene& scene)
{
    for (const auto& light : scene.lights)
        if (light->hasShadowTexture() && light->shadowTexture.name() == 0)
            light->shadowTexture = ShadowTexture::make();
}

std::unique_ptr<Scene> readScene(const std::string& name, const DemoPaths& paths,
                                 MeshRegistry& meshes, TextureCache& textures)
{
    auto scene = std::make_unique<Scene>(name, paths.aspect);
    const SceneSources sources{meshes, textures};

    const std::string path = paths.rootDir + "/" + paths.scenesDir + "/" + name + ".lws";
    if (path.size() > maxWordLength)
        throwCannotLoad(path);
    MappedTextFile file(path);

    if (file.readWordView() != "LWSC")
        throw LoadError("Not LW Scene File");
    std::uint32_t version = 0;
    file.readUnsigned(version);
    if (version != sceneFormatVersion)
        throw LoadError("Not LW version 6 or higher");

    FrameRange frames;
    // Keywords are whole words; anything longer than a keyword is skipped like any other word.
    std::string_view word = file.readWordView();
    while (!file.atEnd()) {
        readSceneWord(file, *scene, sources, frames, word);
        word = file.readWordView();
    }

    // Without a frame rate there are no scene times at all.
    if (frames.framesPerSecond == 0)
        throw LoadError("Lack of FramesPerSecond");
    scene->startTime = framesToSeconds(frames.firstFrame, frames.framesPerSecond);
    scene->endTime = framesToSeconds(frames.lastFrame, frames.framesPerSecond);
    scene->frameDuration = framesToSeconds(1, frames.framesPerSecond);

    resolveAndIndex(*scene);
    return scene;
}
