#pragma once

#include <cstdint>
#include <optional>

class FrameStats;
struct Timeline;

// Times each presented frame from the previous present to its own, into the run's statistics.
class FrameTimer {
public:
    FrameTimer(FrameStats& frameStats, Timeline& frameTimeline);

    void drawing(float t) { drawnTime = t; }
    // The demo was loaded again: the worst frame is described from the new timeline.
    void setTimeline(Timeline& frameTimeline) { timeline = &frameTimeline; }
    // After each present; passes that presented no new frame (minimised, paused) are not counted.
    void presented();

private:
    FrameStats& stats;
    Timeline* timeline;
    std::optional<float> drawnTime;
    std::int64_t lastPresent;
    double millisecondsPerTick;
};
