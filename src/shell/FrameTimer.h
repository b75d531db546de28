#pragma once

#include <cstdint>
#include <optional>

class FrameStats;
struct Timeline;

// Times each presented frame from the previous present to its own, into the run's statistics.
class FrameTimer {
public:
    explicit FrameTimer(FrameStats& frameStats);

    void drawing(float t) { drawnTime = t; }
    // After each present; passes that presented no new frame (minimised, paused) are not counted.
    // A new worst frame is described from timeline, the one just drawn (a reload replaces it).
    void presented(const Timeline& timeline);

private:
    FrameStats& stats;
    std::optional<float> drawnTime;
    std::int64_t lastPresent;
    double millisecondsPerTick;
};
