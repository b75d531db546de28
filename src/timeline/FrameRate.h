#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Frames per second as an exact fraction, so that 29.97 and 30000/1001 give exact frame times
// and exact container timestamps.
struct FrameRate {
    std::int64_t numerator = 60;
    std::int64_t denominator = 1;

    double perSecond() const
    {
        return static_cast<double>(numerator) / static_cast<double>(denominator);
    }
};

constexpr std::int64_t maxFramesPerSecond = 1000;

// "60", "29.97" or "30000/1001", reduced; empty for anything else, for zero and for more than
// maxFramesPerSecond.
std::optional<FrameRate> parseFrameRate(const std::string& text);

// Demo seconds of frame k of a capture from `from`: from + k / fps, each frame computed afresh
// so that no error accumulates.
float frameTime(float from, FrameRate rate, std::int64_t frame);

// How many frames a capture from `from` to `to` has: every k whose frameTime is not past `to`.
std::int64_t frameCount(float from, float to, FrameRate rate);

// Clock ticks from frame 0 to frame k at ticksPerSecond, rounded to the nearest tick.
std::int64_t frameTicks(FrameRate rate, std::int64_t frame, std::int64_t ticksPerSecond);
