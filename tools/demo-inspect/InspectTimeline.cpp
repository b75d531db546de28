#include "Inspect.h"
#include "Json.h"

#include "image/TextureCache.h"
#include "material/ProgramRegistry.h"
#include "mesh/MeshRegistry.h"
#include "platform/OffscreenSurface.h"
#include "scene/Scene.h"
#include "shell/DemoConfig.h"
#include "shell/MappedTextFile.h"
#include "timeline/SceneRegistry.h"
#include "timeline/Timeline.h"
#include "timeline/TimelineScript.h"

#include <cstdio>
#include <string>

namespace {

std::string eventJson(const LayerEvent& event)
{
    return "{\"time\": " + jsonNumber(event.time) +
           ", \"clearMode\": " + std::to_string(static_cast<int>(event.clearMode)) +
           ", \"scene\": " + (event.scene ? jsonString(event.scene->name) : "null") +
           ", \"camera\": " + std::to_string(event.cameraNumber) +
           ", \"sceneStart\": " + jsonNumber(event.sceneStart) + "}";
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
    const DemoPaths paths = DemoPaths::fromSettings(settings);
    TextureCache textures(paths);
    MeshRegistry meshes(textures, paths);
    ProgramRegistry programs(paths);
    SceneRegistry scenes(textures, meshes, programs);
    Timeline timeline(scenes);
    loadTimeline(timeline, config, 1);

    std::string out = "{\"startTime\": " + jsonNumber(timeline.startTime) +
                      ", \"endTime\": " + jsonNumber(timeline.endTime) + ", \"layers\": [";
    for (std::size_t i = 0; i < timeline.layers.size(); ++i) {
        const Layer& layer = timeline.layers[i];
        out += (i ? ", " : "") + std::string("{\"name\": ") + jsonString(layer.name) +
               ", \"target\": " + (layer.target ? jsonString(layer.target->name) : "null") +
               ", \"events\": [";
        for (std::size_t e = 0; e < layer.events.size(); ++e)
            out += (e ? ", " : "") + eventJson(layer.events[e]);
        out += "]}";
    }
    out += "]}";
    std::printf("%s\n", out.c_str());
    return 0;
}
