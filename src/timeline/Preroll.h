#pragma once

#include <cstdint>

class VirtualClock;
struct Timeline;

// Camera shake draws from the standard generator; one fixed seed makes every run the same.
constexpr unsigned shakeSeed = 1;

// The frames a run draws: those of the grid from the timeline's start that come before `from`,
// then frame 0, 1, ... of the grid from `from` (the capture's own frames).
struct PrerollTarget {
    float from = 0.0f;      // demo seconds where the drawn grid starts
    std::int64_t first = 0; // the first frame of that grid to be drawn next
};

// Brings a freshly loaded timeline to where a run that drew every frame before target.first
// would have it: events, scene clocks, frame limiters, the shake's generator, and (drawn) the
// back buffer and the texture layers of the last few frames. clock's origin must be the
// timeline's start time and its rate the run's; it is left on the target frame. The GL context
// is current with the run's viewport; the frames drawn here are not read back.
void prerollTimeline(Timeline& timeline, VirtualClock& clock, PrerollTarget target);

// How many of the frames before the target prerollTimeline draws: enough that every layer has
// redrawn since the oldest of them, so what builds on the previous frames' pixels (a texture
// layer, a slow scene left standing, a depth buffer not cleared) is as a full run left it.
std::int64_t prerollDrawnFrames(const Timeline& timeline, const VirtualClock& clock);
