#include "TimelineFixture.h"

#include "timeline/FrameComposition.h"
#include "timeline/Timeline.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// A layer whose events show nothing: switching and scene clocks need no scene to draw.
Layer layerWithEvents(std::initializer_list<float> times, std::int64_t frequency = 1000)
{
    Layer layer;
    layer.name = "final";
    layer.counterFrequency = frequency;
    float sceneStart = 0.0f;
    for (float time : times) {
        LayerEvent event;
        event.time = time;
        event.sceneStart = sceneStart;
        event.lastDrawTime = sceneStart;
        sceneStart += 100.0f;
        layer.events.push_back(event);
    }
    return layer;
}

} // namespace

TEST(FrameComposition, TwoDueEventsTakeTwoFrames)
{
    Layer layer = layerWithEvents({0.0f, 1.0f, 2.0f, 9.0f});
    layer.current = 0;
    LayerDraw draw = stepLayer(layer, 2.5f, 100);
    EXPECT_EQ(draw.event, &layer.events[1]);
    EXPECT_EQ(layer.eventStartCounter, 100);
    EXPECT_FLOAT_EQ(layer.sceneStart, 100.0f);
    draw = stepLayer(layer, 2.6f, 150);
    EXPECT_EQ(draw.event, &layer.events[2]);
    EXPECT_FLOAT_EQ(draw.sceneTime, 200.0f);
    draw = stepLayer(layer, 2.7f, 400);
    EXPECT_EQ(draw.event, &layer.events[2]);
    EXPECT_FLOAT_EQ(draw.sceneTime, 200.25f);
    EXPECT_EQ(layer.nowCounter, 400);
}

TEST(FrameComposition, AnEventAtExactlyTIsDrawnInThatFrame)
{
    Layer layer = layerWithEvents({3.0f, 4.0f});
    layer.current = 0;
    EXPECT_EQ(stepLayer(layer, 2.999f, 0).event, nullptr);
    EXPECT_EQ(stepLayer(layer, 3.0f, 0).event, &layer.events[0]);
    EXPECT_EQ(stepLayer(layer, 4.0f, 0).event, &layer.events[1]);
}

TEST(FrameComposition, StartLayersPlacesEachLayerInsideItsSpan)
{
    TimelineFixture demo;
    Timeline& timeline = demo.timeline;
    timeline.layers.push_back(layerWithEvents({0.0f, 10.0f, 20.0f}));
    timeline.layers.push_back(layerWithEvents({30.0f, 40.0f}));
    timeline.layers.push_back(layerWithEvents({}));
    startLayers(timeline, 12.5f, 5000);
    // Inside the second event's span: its scene is 2.5 s along at the first frame.
    Layer& first = timeline.layers[0];
    EXPECT_EQ(first.current, 1u);
    EXPECT_FLOAT_EQ(first.sceneStart, 102.5f);
    EXPECT_EQ(first.eventStartCounter, 5000);
    LayerDraw draw = stepLayer(first, 12.5f, 5000);
    EXPECT_EQ(draw.event, &first.events[1]);
    EXPECT_FLOAT_EQ(draw.sceneTime, 102.5f);
    // Before its first event the scene start is earlier by the waiting time, so the scene is at
    // its own start exactly when the event becomes due.
    Layer& second = timeline.layers[1];
    EXPECT_EQ(second.current, 0u);
    EXPECT_FLOAT_EQ(second.sceneStart, -17.5f);
    EXPECT_EQ(stepLayer(second, 29.0f, 5000 + 16500).event, nullptr);
    draw = stepLayer(second, 30.0f, 5000 + 17500);
    EXPECT_EQ(draw.event, &second.events[0]);
    EXPECT_FLOAT_EQ(draw.sceneTime, 0.0f);
    // A layer without events is never started and never draws.
    Layer& empty = timeline.layers[2];
    EXPECT_EQ(empty.current, Layer::notStarted);
    EXPECT_EQ(stepLayer(empty, 100.0f, 9000).event, nullptr);
}

TEST(FrameComposition, SceneTimeKeepsPrecisionOnLargeCounters)
{
    Layer layer = layerWithEvents({0.0f}, 10'000'000);
    layer.current = 0;
    layer.eventStartCounter = 9'000'000'000'000'000;
    layer.sceneStart = 0.25f;
    EXPECT_FLOAT_EQ(layerSceneTime(layer, 9'000'000'000'000'000 + 12'345'678), 1.2345678f + 0.25f);
}

TEST(FrameComposition, FrameLimiterHoldsSlowScenesToTheirFrameRate)
{
    LayerEvent event;
    event.sceneStart = event.lastDrawTime = 2.0f;
    // 10 frames per second: the first draw waits for a whole frame of scene time.
    EXPECT_FALSE(frameLimiterAllows(event, 0.1f, 2.05f));
    EXPECT_FALSE(frameLimiterAllows(event, 0.1f, 2.0999f));
    EXPECT_TRUE(frameLimiterAllows(event, 0.1f, 2.13f));
    // The next frame counts from the time actually drawn, not from a multiple of the frame.
    EXPECT_FLOAT_EQ(event.lastDrawTime, 2.13f);
    EXPECT_FALSE(frameLimiterAllows(event, 0.1f, 2.2f));
    EXPECT_TRUE(frameLimiterAllows(event, 0.1f, 2.25f));
    // 25 frames per second and faster draw every frame and leave lastDrawTime alone.
    LayerEvent fast;
    EXPECT_TRUE(frameLimiterAllows(fast, 0.04f, 0.001f));
    EXPECT_TRUE(frameLimiterAllows(fast, 1.0f / 30.0f, 0.002f));
    EXPECT_FLOAT_EQ(fast.lastDrawTime, 0.0f);
}
