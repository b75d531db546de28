#include "platform/Clock.h"

#include <time.h>

// Nanosecond ticks of the monotonic clock: never steps back when the wall clock is set.
std::int64_t performanceCounter()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::int64_t performanceFrequency()
{
    return 1000000000;
}
