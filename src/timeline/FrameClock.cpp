#include "timeline/FrameClock.h"

#include "platform/Clock.h"

std::int64_t PerformanceClock::counter() const
{
    return performanceCounter();
}

std::int64_t PerformanceClock::frequency() const
{
    return performanceFrequency();
}
