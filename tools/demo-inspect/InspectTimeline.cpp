#include "Inspect.h"

#include "image/TextureCache.h"
#include "material/ProgramRegistry.h"
#include "mesh/MeshRegistry.h"
#include "platform/OffscreenSurface.h"
#include "scene/Scene.h"
#include "shell/DemoConfig.h"
#include "shell/GlStartup.h"
#include "shell/MappedTextFile.h"
#include "timeline/SceneRegistry.h"
#include "timeline/Timeline.h"
#include "timeline/TimelineScript.h"

#include <cstdio>
#include <string>

namespace {

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::string eventJson(const LayerEvent& event)
{
    return "{\"time\": " + number(event.time) +
           ", \"clearMode\": " + std::to_string(static_cast<int>(event.clearMode)) +
           ", \"scene\": " + (event.scene ? quoted(event.scene->name) : "null") +
           ", \"camera\": " + std::to_string(event.cameraNumber) +
           ", \"sceneStart\": " + number(event.sceneStart) + "}";
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
    if (const char* failure = surface.create(16, 16)) {
        std::fprintf(stderr, "%s\n", failure);
        return 1;
    }
    initialiseGL();
    MappedTextFile config(args[0]);
    const DemoSettings settings = readDemoHeader(config);
    const DemoPaths paths = DemoPaths::fromSettings(settings);
    TextureCache textures(paths);
    MeshRegistry meshes(textures, paths);
    ProgramRegistry programs(paths);
    SceneRegistry scenes(textures, meshes, programs);
    Timeline timeline(scenes);
    loadTimeline(timeline, config, 1);

    std::string out = "{\"startTime\": " + number(timeline.startTime) +
                      ", \"endTime\": " + number(timeline.endTime) + ", \"layers\": [";
    for (std::size_t i = 0; i < timeline.layers.size(); ++i) {
        const Layer& layer = timeline.layers[i];
        out += (i ? ", " : "") + std::string("{\"name\": ") + quoted(layer.name) +
               ", \"target\": " + (layer.target ? quoted(layer.target->name) : "null") +
               ", \"events\": [";
        for (std::size_t e = 0; e < layer.events.size(); ++e)
            out += (e ? ", " : "") + eventJson(layer.events[e]);
        out += "]}";
    }
    out += "]}";
    std::printf("%s\n", out.c_str());
    return 0;
}
