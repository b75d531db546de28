#include "Inspect.h"
#include "InspectMaterial.h"

#include "anim/Motion.h"
#include "image/TextureCache.h"
#include "material/ProgramRegistry.h"
#include "platform/OffscreenSurface.h"
#include "scene/Scene.h"
#include "shell/DemoConfig.h"
#include "timeline/DemoAssets.h"

#include <cstdio>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

Json jsonColour(const std::optional<Rgba>& colour)
{
    if (!colour)
        return nullptr;
    return Json::array({jsonNumber(colour->red), jsonNumber(colour->green),
                        jsonNumber(colour->blue), jsonNumber(colour->alpha)});
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
Json jsonParent(const ItemPlaces& places, const SceneItem& item)
{
    const ItemPlace* place = placeOf(places, item.parent);
    if (!place)
        return nullptr;
    Json out = Json::object();
    out["kind"] = place->kind;
    out["index"] = place->index;
    return out;
}

// Every channel of the item's motion at every time, one list per time.
void addMotion(Json& out, const SceneItem& item, const std::vector<float>& times)
{
    if (times.empty())
        return;
    Json motion = Json::array();
    for (float time : times) {
        Json channels = Json::array();
        for (std::int32_t channel = 0; channel < item.motion.count(); ++channel)
            channels.push_back(jsonNumber(
                evaluateMotionChannel(item.motion, static_cast<MotionChannel>(channel), time)));
        motion.push_back(std::move(channels));
    }
    out["motion"] = std::move(motion);
}

Json jsonObject(const ItemPlaces& places, const SceneObject& object,
                const std::vector<float>& times)
{
    Json dissolve = nullptr;
    if (object.dissolve)
        dissolve =
            object.dissolve->envelope ? Json("envelope") : jsonNumber(object.dissolve->value);
    const ItemPlace* target = placeOf(places, object.morphTarget);
    Json out = Json::object();
    out["mesh"] = object.mesh ? jsonText(object.mesh->name) : Json(nullptr);
    out["flags"] = object.flags;
    out["parent"] = jsonParent(places, object);
    out["morphTarget"] = target ? Json(target->index) : Json(nullptr);
    out["dissolve"] = std::move(dissolve);
    addMotion(out, object, times);
    out["passes"] = jsonPasses(object.passes);
    return out;
}

Json jsonLight(const ItemPlaces& places, const Light& light, const std::vector<float>& times)
{
    Json out = Json::object();
    out["name"] = jsonText(light.name);
    out["lightType"] = light.fileLightType;
    out["lightNumber"] = light.isSwitchedOff() ? Json(nullptr) : Json(light.lightNumber);
    out["flare"] = light.flareIntensity ? true : false;
    out["parent"] = jsonParent(places, light);
    addMotion(out, light, times);
    return out;
}

Json jsonCamera(const ItemPlaces& places, const Camera& camera, const std::vector<float>& times)
{
    Json out = Json::object();
    out["parent"] = jsonParent(places, camera);
    addMotion(out, camera, times);
    return out;
}

template <class Item, class Print>
Json jsonArray(const std::vector<std::unique_ptr<Item>>& items, Print print)
{
    Json out = Json::array();
    for (const auto& item : items)
        out.push_back(print(*item));
    return out;
}

// The scene's own fields one per line, and the items of its object, light and camera lists one
// per line: a scene's differences then show line by line.
std::string dumpScene(const Json& scene)
{
    std::string out = "{";
    const char* separator = "\n";
    for (const auto& field : scene.items()) {
        out += separator + ("  " + Json(field.key()).dump()) + ": ";
        separator = ",\n";
        const Json& value = field.value();
        const bool itemList =
            field.key() == "objects" || field.key() == "lights" || field.key() == "cameras";
        if (!itemList || value.empty()) {
            out += dumpLine(value);
            continue;
        }
        const char* itemSeparator = "[\n    ";
        for (const Json& item : value) {
            out += itemSeparator + dumpLine(item);
            itemSeparator = ",\n    ";
        }
        out += "\n  ]";
    }
    return out + "\n}\n";
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
    DemoAssets assets(DemoPaths{args[0], args[1], args[2], 1.0f});
    const std::unique_ptr<Scene> scene = loadSceneWithMaterials(args[3], assets);
    const ItemPlaces places = placesOf(*scene);

    Json out = Json::object();
    out["startTime"] = jsonNumber(scene->startTime);
    out["endTime"] = jsonNumber(scene->endTime);
    out["frameDuration"] = jsonNumber(scene->frameDuration);
    out["fogType"] = scene->fogType;
    out["nearClip"] = jsonNumber(scene->nearClip);
    out["ambientColour"] = jsonColour(scene->ambientColour);
    out["fogColour"] = jsonColour(scene->fogColour);
    out["backdropColour"] = jsonColour(scene->backdropColour);
    out["bgPasses"] = jsonPasses(scene->bgPasses);
    out["fgPasses"] = jsonPasses(scene->fgPasses);
    out["programs"] = jsonPrograms(assets.programs.programs);
    out["objects"] = jsonArray(scene->objects, [&](const SceneObject& object) {
        return jsonObject(places, object, times);
    });
    out["lights"] = jsonArray(scene->lights,
                              [&](const Light& light) { return jsonLight(places, light, times); });
    out["cameras"] = jsonArray(
        scene->cameras, [&](const Camera& camera) { return jsonCamera(places, camera, times); });
    std::fputs(dumpScene(out).c_str(), stdout);
    return 0;
}
