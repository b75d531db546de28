#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

class Camera;
class Scene;
struct DemoAssets;
struct Texture;

// How a layer clears before its scene is drawn; the values are the script's keyword codes.
enum class ClearMode : std::int32_t {
    Nothing = 0,        // "nc"
    Depth = 1,          // "cz"
    DepthAndColour = 2, // "cl"
    Colour = 3,         // "cc"
};

// One line of the timeline script: from `time` on, the layer shows `scene` through `camera`.
struct LayerEvent {
    Scene* scene = nullptr; // null for "no" / "none": the layer draws nothing
    ClearMode clearMode = ClearMode::Nothing;
    float time = 0.0f;         // demo seconds at which the event becomes current
    float sceneStart = 0.0f;   // scene seconds at which its clock starts: the scene's startTime
    float lastDrawTime = 0.0f; // scene seconds of the last frame drawn; starts at sceneStart
    Camera* camera = nullptr;
    std::uint16_t cameraNumber = 0; // as the script counts cameras, from 1; 0 for "none"
};

// One entry of the drawing order: drawn to the screen, or into a texture later layers use.
struct Layer {
    static constexpr std::size_t notStarted = std::numeric_limits<std::size_t>::max();

    Texture* target = nullptr; // null for a screen layer; owned by the TextureCache
    std::string name;
    std::int64_t counterFrequency = 1; // performance-counter ticks per second
    std::int64_t eventStartCounter = 0;
    std::int64_t nowCounter = 0;
    float sceneStart = 0.0f;        // scene seconds at eventStartCounter
    std::vector<LayerEvent> events; // script order
    std::size_t current = notStarted;

    LayerEvent* currentEvent() { return current < events.size() ? &events[current] : nullptr; }
};

// The layers in drawing order with their events, and the demo's time span.
struct Timeline {
    explicit Timeline(DemoAssets& demoAssets) : assets(demoAssets) {}

    DemoAssets& assets;     // scenes, textures and the root the script loads through
    float startTime = 0.0f; // demo seconds at which playback starts
    float endTime = 0.0f;   // demo seconds after which the demo ends
    std::vector<Layer> layers;

    Layer* findLayer(const std::string& name);
};
