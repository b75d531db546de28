#include "Inspect.h"
#include "InspectMaterial.h"
#include "Json.h"

#include "anim/Motion.h"
#include "image/TextureCache.h"
#include "material/MaterialFile.h"
#include "material/ProgramRegistry.h"
#include "mesh/MeshRegistry.h"
#include "platform/OffscreenSurface.h"
#include "scene/Scene.h"
#include "scene/SceneLoader.h"
#include "shell/DemoConfig.h"

#include <cstdio>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

std::string jsonColour(const std::optional<Rgba>& colour)
{
    if (!colour)
        return "null";
    return "[" + jsonNumber(colour->red) + ", " + jsonNumber(colour->green) + ", " +
           jsonNumber(colour->blue) + ", " + jsonNumber(colour->alpha) + "]";
}

// Every item's kind and 0-based position in the scene's list of that kind, looked up once per
// item rather than searched for.
struct ItemPlace {
    int kind;
    std::size_t index;
};
using ItemPlaces = std::unordered_map<const SceneItem*, ItemPlace>;

ItemPlaces placesOf(const Scene& scene)
{
    ItemPlaces places;
    for (std::size_t i = 0; i < scene.objects.size(); ++i)
        places.emplace(scene.objects[i].get(), ItemPlace{ParentRef::object, i});
    for (std::size_t i = 0; i < scene.lights.size(); ++i)
        places.emplace(scene.lights[i].get(), ItemPlace{ParentRef::light, i});
    for (std::size_t i = 0; i < scene.cameras.size(); ++i)
        places.emplace(scene.cameras[i].get(), ItemPlace{ParentRef::camera, i});
    return places;
}

const ItemPlace* placeOf(const ItemPlaces& places, const SceneItem* item)
{
    const auto found = item ? places.find(item) : places.end();
    return found == places.end() ? nullptr : &found->second;
}

// The resolved parent as its kind and 0-based position in the scene's list of that kind.
std::string jsonParent(const ItemPlaces& places, const SceneItem& item)
{
    const ItemPlace* place = placeOf(places, item.parent);
    if (!place)
        return "null";
    return "{\"kind\": " + std::to_string(place->kind) +
           ", \"index\": " + std::to_string(place->index) + "}";
}

std::string jsonMotion(const SceneItem& item, const std::vector<float>& times)
{
    std::string out = "[";
    for (std::size_t t = 0; t < times.size(); ++t) {
        out += t ? ", [" : "[";
        for (std::int32_t channel = 0; channel < item.motion.count(); ++channel) {
            if (channel)
                out += ", ";
            out += jsonNumber(
                evaluateMotionChannel(item.motion, static_cast<MotionChannel>(channel), times[t]));
        }
        out += "]";
    }
    return out + "]";
}

std::string motionField(const SceneItem& item, const std::vector<float>& times)
{
    return times.empty() ? "" : ", \"motion\": " + jsonMotion(item, times);
}

std::string jsonObject(const ItemPlaces& places, const SceneObject& object,
                       const std::vector<float>& times)
{
    std::string dissolve = "null";
    if (object.dissolve)
        dissolve = object.dissolve->envelope ? "\"envelope\"" : jsonNumber(object.dissolve->value);
    const ItemPlace* target = placeOf(places, object.morphTarget);
    return "{\"mesh\": " + (object.mesh ? jsonString(object.mesh->name) : "null") +
           ", \"flags\": " + std::to_string(object.flags) +
           ", \"parent\": " + jsonParent(places, object) +
           ", \"morphTarget\": " + (target ? std::to_string(target->index) : "null") +
           ", \"dissolve\": " + dissolve + motionField(object, times) +
           ", \"passes\": " + jsonPasses(object.passes) + "}";
}

std::string jsonLight(const ItemPlaces& places, const Light& light, const std::vector<float>& times)
{
    return "{\"name\": " + jsonString(light.name) +
           ", \"lightType\": " + std::to_string(light.fileLightType) + ", \"lightNumber\": " +
           (light.isSwitchedOff() ? "null" : std::to_string(light.lightNumber)) +
           ", \"flare\": " + (light.flareIntensity ? "true" : "false") +
           ", \"parent\": " + jsonParent(places, light) + motionField(light, times) + "}";
}

template <class Item, class Print>
std::string jsonArray(const std::vector<std::unique_ptr<Item>>& items, Print print)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? ",\n    " : "\n    ") + print(*items[i]);
    return out + (items.empty() ? "]" : "\n  ]");
}

} // namespace

// demo-inspect scene ROOT TEXDIR SCENESDIR NAME [--at T1,T2,...]: loads the scene as the scene
// registry would, meshes, textures and material file included, on an offscreen context, and prints
// what was loaded as one JSON object.
int inspectScene(const InspectArgs& args)
{
    std::vector<SampleTime> samples;
    const bool valid =
        args.size() == 4 || (args.size() == 6 && args[4] == "--at" && parseTimes(args[5], samples));
    if (!valid) {
        std::fprintf(stderr,
                     "usage: demo-inspect scene ROOT TEXDIR SCENESDIR NAME [--at T1,...]\n");
        return 2;
    }
    std::vector<float> times;
    for (const SampleTime& sample : samples)
        times.push_back(sample.value);
    // Declared first, so the registries release their GL objects while it is current.
    OffscreenSurface surface;
    if (!openInspectContext(surface))
        return 1;
    DemoPaths paths;
    paths.rootDir = args[0];
    paths.texturesDir = args[1];
    paths.scenesDir = args[2];
    TextureCache textures(paths);
    MeshRegistry meshes(textures, paths);
    ProgramRegistry programs(paths);
    const std::unique_ptr<Scene> scene = loadScene(args[3], paths, meshes, textures);
    readMaterialFile(*scene, paths, textures, programs);
    const ItemPlaces places = placesOf(*scene);

    std::string out = "{\n";
    out += "  \"startTime\": " + jsonNumber(scene->startTime) + ",\n";
    out += "  \"endTime\": " + jsonNumber(scene->endTime) + ",\n";
    out += "  \"frameDuration\": " + jsonNumber(scene->frameDuration) + ",\n";
    out += "  \"fogType\": " + std::to_string(scene->fogType) + ",\n";
    out += "  \"nearClip\": " + jsonNumber(scene->nearClip) + ",\n";
    out += "  \"ambientColour\": " + jsonColour(scene->ambientColour) + ",\n";
    out += "  \"fogColour\": " + jsonColour(scene->fogColour) + ",\n";
    out += "  \"backdropColour\": " + jsonColour(scene->backdropColour) + ",\n";
    out += "  \"bgPasses\": " + jsonPasses(scene->bgPasses) + ",\n";
    out += "  \"fgPasses\": " + jsonPasses(scene->fgPasses) + ",\n";
    out += "  \"programs\": " + jsonPrograms(programs.programs) + ",\n";
    out += "  \"objects\": " +
           jsonArray(scene->objects,
                     [&](const SceneObject& object) { return jsonObject(places, object, times); }) +
           ",\n";
    out += "  \"lights\": " +
           jsonArray(scene->lights,
                     [&](const Light& light) { return jsonLight(places, light, times); }) +
           ",\n";
    out += "  \"cameras\": " +
           jsonArray(scene->cameras,
                     [&](const Camera& camera) {
                         return "{\"parent\": " + jsonParent(places, camera) +
                                motionField(camera, times) + "}";
                     }) +
           "\n}\n";
    std::fputs(out.c_str(), stdout);
    return 0;
}
