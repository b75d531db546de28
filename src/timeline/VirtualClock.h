#pragma once

#include "timeline/FrameClock.h"
#include "timeline/FrameRate.h"

#include <cstdint>

// The clock of a capture: demo time and the scene clocks move only when told, to the exact
// instant of a frame, so every run sees the same times whatever the machine's speed.
// Counter 0 is the demo time `origin`, where the layers start.
class VirtualClock final : public FrameClock {
public:
    VirtualClock(float origin, FrameRate rate, std::int64_t ticksPerSecond);

    // Frame k of the frame grid that starts at demo time base.
    void moveTo(float base, std::int64_t frame);

    float demoTime() const { return time; }
    float originTime() const { return origin; }
    FrameRate frameRate() const { return rate; }
    std::int64_t counter() const override { return ticks; }
    std::int64_t frequency() const override { return ticksPerSecond; }

private:
    float origin;
    FrameRate rate;
    std::int64_t ticksPerSecond;
    float time;
    std::int64_t ticks = 0;
};
