#include "timeline/Preroll.h"

#include "scene/Scene.h"
#include "timeline/FrameComposition.h"
#include "timeline/Timeline.h"
#include "timeline/VirtualClock.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>

namespace {

// The last frame before the target and the one before it: the back buffer and the depth a
// frame starts on are the previous frame's, which itself drew over the one before.
constexpr std::int64_t minimumDrawnFrames = 2;
// Scenes slower than this are held by the frame limiter between their own frames.
constexpr float limiterFrameDuration = 0.04f;

// Frames of the grid from `start` that come before `from`.
std::int64_t framesBefore(float start, float from, FrameRate rate)
{
    std::int64_t frames = 0;
    while (frameTime(start, rate, frames) < from)
        ++frames;
    return frames;
}

} // namespace

std::int64_t prerollDrawnFrames(const Timeline& timeline, const VirtualClock& clock)
{
    double longest = 0.0; // seconds of the slowest scene's frame
    for (const Layer& layer : timeline.layers)
        for (const LayerEvent& event : layer.events)
            if (event.scene && event.scene->frameDuration > limiterFrameDuration)
                longest = std::max(longest, static_cast<double>(event.scene->frameDuration));
    const auto held = static_cast<std::int64_t>(std::ceil(longest * clock.frameRate().perSecond()));
    return minimumDrawnFrames + held;
}

void prerollTimeline(Timeline& timeline, VirtualClock& clock, PrerollTarget target)
{
    const float start = timeline.startTime;
    assert(clock.originTime() == start && "the clock's counter 0 is where the layers start");
    std::srand(shakeSeed);
    clock.moveTo(start, 0);
    startLayers(timeline, start, clock);

    // Each frame stands on the grid a full run steps through; only the last few are drawn,
    // the rest move the layers, the limiters and the shake's generator as drawing would.
    const FrameRate rate = clock.frameRate();
    const std::int64_t lead = framesBefore(start, target.from, rate);
    const std::int64_t total = lead + target.first;
    const std::int64_t firstDrawn = total - prerollDrawnFrames(timeline, clock);
    for (std::int64_t frame = 0; frame < total; ++frame) {
        if (frame < lead)
            clock.moveTo(start, frame);
        else
            clock.moveTo(target.from, frame - lead);
        if (frame >= firstDrawn)
            renderFrame(timeline, clock.demoTime(), clock);
        else
            skipFrame(timeline, clock.demoTime(), clock);
    }
    clock.moveTo(target.from, target.first);
}
