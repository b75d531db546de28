#pragma once

#include <cstdint>

// The high-resolution performance counter: a monotonic tick count and its ticks per second.
// Only the main loop and scene clocks read it; everything else is handed times.
std::int64_t performanceCounter();
std::int64_t performanceFrequency();
