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

std::int64_t PausableClock::counter() const
{
    return held ? heldAt : source.counter() + shift;
}

void PausableClock::pause()
{
    heldAt = counter();
    held = true;
}

void PausableClock::resume()
{
    if (!held)
        return;
    held = false;
    setCounter(heldAt);
}

void PausableClock::setCounter(std::int64_t value)
{
    if (held)
        heldAt = value;
    else
        shift = value - source.counter();
}
