#include "timeline/VirtualClock.h"

#include <cmath>

VirtualClock::VirtualClock(float originTime, FrameRate frameRate, std::int64_t frequency)
    : origin(originTime), rate(frameRate), ticksPerSecond(frequency), time(originTime)
{
}

void VirtualClock::moveTo(float base, std::int64_t frame)
{
    time = frameTime(base, rate, frame);
    // The grid's start is rounded to a tick once; the frames after it add exact tick counts, so
    // a grid from the origin and one from a later base agree wherever their frames meet.
    const auto baseTicks =
        std::llround((static_cast<long double>(base) - static_cast<long double>(origin)) *
                     static_cast<long double>(ticksPerSecond));
    ticks = baseTicks + frameTicks(rate, frame, ticksPerSecond);
}
