#include "Inspect.h"
#include "Json.h"

#include "image/TextureCache.h"
#include "platform/OffscreenSurface.h"
#include "scene/Scene.h"
#include "shell/DemoConfig.h"
#include "shell/MappedTextFile.h"
#include "timeline/DemoAssets.h"
#include "timeline/Timeline.h"
#include "timeline/TimelineScript.h"

#include <cstdio>
#include <string>

namespace {

Json eventJson(const LayerEvent& event)
{
    Json out = Json::object();
    out["time"] = jsonNumber(event.time);
    out["clearMode"] = static_cast<int>(event.clearMode);
    out["scene"] = event.scene ? jsonText(event.scene->name) : Json(nullptr);
    out["camera"] = event.cameraNumber;
    out["sceneStart"] = jsonNumber(event.sceneStart);
    return out;
}

} // namespace

// demo-inspect timeline CONFIG: reads the configuration's header, layers and script as the
// player does (paths relative to the working directory; scenes, meshes and textures loaded on
// an offscreen context, the music left alone) and prints them as one JSON object.
int inspectTimeline(const InspectArgs& args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: demo-inspect timeline CONFIG\n");
        return 2;
    }
    // Declared first, so everything holding GL objects goes while the context is current.
    OffscreenSurface surface;
    if (!openInspectContext(surface))
        return 1;
    MappedTextFile config(args[0]);
    const DemoSettings settings = readDemoHeader(config);
    DemoAssets assets(DemoPaths::fromSettings(settings));
    Timeline timeline(assets);
    loadTimeline(timeline, config, 1);

    Json layers = Json::array();
    for (const Layer& layer : timeline.layers) {
        Json events = Json::array();
        for (const LayerEvent& event : layer.events)
            events.push_back(eventJson(event));
        Json entry = Json::object();
        entry["name"] = jsonText(layer.name);
        entry["target"] = layer.target ? jsonText(layer.target->name) : Json(nullptr);
        entry["events"] = std::move(events);
        layers.push_back(std::move(entry));
    }
    Json out = Json::object();
    out["startTime"] = jsonNumber(timeline.startTime);
    out["endTime"] = jsonNumber(timeline.endTime);
    out["layers"] = std::move(layers);
    std::printf("%s\n", dumpLine(out).c_str());
    return 0;
}
