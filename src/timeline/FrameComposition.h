#pragma once

#include <cstdint>
#include <functional>

class FrameClock;
struct Layer;
struct LayerEvent;
struct Timeline;

// Times come in from the main loop: t in demo seconds from the music clock, counter from the
// performance counter. Nothing here reads a clock.

// Places every layer on its event for t0 and starts its scene clock at counter.
void startLayers(Timeline& timeline, float t0, std::int64_t counter);
void startLayers(Timeline& timeline, float t0, const FrameClock& clock);

// What a layer draws this frame: the current event once due, at its scene time.
struct LayerDraw {
    LayerEvent* event = nullptr; // null: nothing due, the layer draws nothing
    float sceneTime = 0.0f;
};

// Moves the layer on by at most one event and returns what it draws; GL-free.
LayerDraw stepLayer(Layer& layer, float t, std::int64_t counter);

// Scene seconds of the layer's current event: counter ticks since the event started, in
// extended precision, plus the layer's sceneStart.
float layerSceneTime(const Layer& layer, std::int64_t counter);

// Scenes slower than 25 frames per second are redrawn only once a whole frame of scene time has
// passed since the event's last drawn frame; true (and lastDrawTime moved) when this one is due.
bool frameLimiterAllows(LayerEvent& event, float frameDuration, float sceneTime);

// One frame: every layer in order, screen layers into the current viewport, texture layers into
// their target's size and then copied into the target.
void renderFrame(Timeline& timeline, float t, std::int64_t counter);
void renderFrame(Timeline& timeline, float t, const FrameClock& clock);
// The same, asking stopPending before each layer: once it says true the frame
// ends there, unfinished, so that quitting waits for one layer at most, not a whole frame.
void renderFrame(Timeline& timeline, float t, const FrameClock& clock,
                 const std::function<bool()>& stopPending);

// A frame passed over without drawing: every layer moves on and every due event's frame limiter
// counts the frame as drawn, exactly as renderFrame would leave them, and the camera shake takes
// its random numbers. GL-free.
void skipFrame(Timeline& timeline, float t, const FrameClock& clock);

// Clears as the event says and draws its scene through its camera, unless the limiter holds it.
void drawEvent(LayerEvent& event, float sceneTime);
