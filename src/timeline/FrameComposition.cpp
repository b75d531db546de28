#include "timeline/FrameComposition.h"

#include "image/TextureCache.h"
#include "render/SceneRender.h"
#include "scene/Scene.h"
#include "shell/GlFence.h"
#include "timeline/FrameClock.h"
#include "timeline/Timeline.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <utility>

void startLayers(Timeline& timeline, float t0, std::int64_t counter)
{
    for (Layer& layer : timeline.layers) {
        // A restart (a seek back) forgets the frames drawn before it: a slow scene would
        // otherwise wait for the scene time of the latest one.
        for (LayerEvent& event : layer.events)
            event.lastDrawTime = event.sceneStart;
        if (layer.events.empty())
            continue;
        layer.current = 0;
        while (layer.current + 1 < layer.events.size() &&
               layer.events[layer.current + 1].time <= t0)
            ++layer.current;
        const LayerEvent& event = layer.events[layer.current];
        // An event still ahead of t0 gives an earlier start, so its scene is at sceneStart
        // exactly when the event becomes due.
        layer.sceneStart = event.sceneStart + (t0 - event.time);
        layer.eventStartCounter = counter;
    }
}

void startLayers(Timeline& timeline, float t0, const FrameClock& clock)
{
    startLayers(timeline, t0, clock.counter());
}

float layerSceneTime(const Layer& layer, std::int64_t counter)
{
    const std::int64_t ticks = counter - layer.eventStartCounter;
    return static_cast<float>(static_cast<long double>(ticks) /
                                  static_cast<long double>(layer.counterFrequency) +
                              static_cast<long double>(layer.sceneStart));
}

LayerDraw stepLayer(Layer& layer, float t, std::int64_t counter)
{
    if (layer.current >= layer.events.size())
        return {};
    // One step per frame: a layer that fell behind by several events catches up one a frame.
    if (layer.current + 1 < layer.events.size() && layer.events[layer.current + 1].time <= t) {
        ++layer.current;
        layer.sceneStart = layer.events[layer.current].sceneStart;
        layer.eventStartCounter = counter;
    }
    LayerEvent& event = layer.events[layer.current];
    if (event.time > t)
        return {};
    layer.nowCounter = counter;
    return {&event, layerSceneTime(layer, counter)};
}

bool frameLimiterAllows(LayerEvent& event, float frameDuration, float sceneTime)
{
    if (frameDuration <= 0.04f)
        return true;
    if (event.lastDrawTime + frameDuration > sceneTime)
        return false;
    event.lastDrawTime = sceneTime;
    return true;
}

static void clearColourToBackdrop(const Scene& scene)
{
    // Scenes without a backdrop clear to black.
    const Rgba colour = scene.backdropColour.value_or(Rgba{0.0f, 0.0f, 0.0f, 1.0f});
    glClearColor(colour.red, colour.green, colour.blue, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void drawEvent(LayerEvent& event, float sceneTime)
{
    if (!event.scene)
        return;
    Scene& scene = *event.scene;
    if (!frameLimiterAllows(event, scene.frameDuration, sceneTime))
        return;
    // The clear colour stays set afterwards, also for the clear of a later resize.
    switch (event.clearMode) {
    case ClearMode::Nothing:
        break;
    case ClearMode::Depth:
        glClear(GL_DEPTH_BUFFER_BIT);
        break;
    case ClearMode::DepthAndColour:
        glClear(GL_DEPTH_BUFFER_BIT);
        clearColourToBackdrop(scene);
        break;
    case ClearMode::Colour:
        clearColourToBackdrop(scene);
        break;
    }
    enableSceneLights(scene);
    renderScene(scene, sceneTime, *event.camera);
}

static void renderTextureLayer(Layer& layer, float t, std::int64_t counter)
{
    const Texture& target = *layer.target;
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glViewport(0, 0, target.width, target.height);
    const LayerDraw draw = stepLayer(layer, t, counter);
    if (draw.event)
        drawEvent(*draw.event, draw.sceneTime);
    // The copy runs every frame, drawn or not: the lower-left corner of the back buffer becomes
    // level 0 and the driver rebuilds the mipmaps.
    bindTextureUnit(target, 0);
    if (target.target == GL_TEXTURE_2D) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, target.width, target.height);
    } else {
        // A target whose size is not a power of two is a rectangle texture: binding its name to
        // GL_TEXTURE_2D would fail and copy nothing, so it is copied into its own target, which
        // has no mipmaps.
        glCopyTexSubImage2D(target.target, 0, 0, 0, 0, 0, target.width, target.height);
    }
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

static void renderFrameUntil(Timeline& timeline, float t, std::int64_t counter,
                             const std::function<bool()>& stopPending)
{
    // Drivers that bin a frame before drawing it (llvmpipe) would otherwise queue every layer
    // and draw them at the swap, out of the checks' reach: each layer is sent on its way, and
    // the next one starts only once the layer before the last is drawn, asking all the while.
    GlFence beforeLast;
    GlFence last;
    bool first = true;
    for (Layer& layer : timeline.layers) {
        if (stopPending) {
            if (!first) {
                beforeLast = std::exchange(last, GlFence::afterIssued());
                if (!beforeLast.waitUnless(stopPending))
                    return;
            }
            if (stopPending())
                return;
        }
        first = false;
        if (layer.target) {
            renderTextureLayer(layer, t, counter);
            continue;
        }
        const LayerDraw draw = stepLayer(layer, t, counter);
        if (draw.event)
            drawEvent(*draw.event, draw.sceneTime);
    }
}

void renderFrame(Timeline& timeline, float t, std::int64_t counter)
{
    renderFrameUntil(timeline, t, counter, {});
}

void renderFrame(Timeline& timeline, float t, const FrameClock& clock)
{
    renderFrameUntil(timeline, t, clock.counter(), {});
}

void renderFrame(Timeline& timeline, float t, const FrameClock& clock,
                 const std::function<bool()>& stopPending)
{
    renderFrameUntil(timeline, t, clock.counter(), stopPending);
}

void skipFrame(Timeline& timeline, float t, const FrameClock& clock)
{
    const std::int64_t counter = clock.counter();
    for (Layer& layer : timeline.layers) {
        const LayerDraw draw = stepLayer(layer, t, counter);
        if (draw.event && draw.event->scene &&
            frameLimiterAllows(*draw.event, draw.event->scene->frameDuration, draw.sceneTime))
            skipCameraShake(*draw.event->camera);
    }
}
