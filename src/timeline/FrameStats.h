#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct Layer;
struct Timeline;

// Frames slower than this are the ones a viewer sees as a stutter.
constexpr double slowFrameMilliseconds = 1000.0 / 30.0;

// The times of every frame of one run, kept whole so that the worst frame and the tail are
// known, not only the average. Times are handed in; nothing here reads a clock.
class FrameStats {
public:
    // One frame drawn for demo time t that took `milliseconds`; true when it is the slowest so
    // far (the caller may then describe it with setWorstEvents).
    bool add(float demoTime, double milliseconds);
    void setWorstEvents(std::string events) { worstFrameEvents = std::move(events); }

    std::size_t frames() const { return times.size(); }
    float firstDemoTime() const { return first; }
    float lastDemoTime() const { return last; }
    // The p-th percentile (0 to 100) by nearest rank; 0 without frames.
    double percentile(double p) const;
    double median() const { return percentile(50.0); }
    double worst() const { return worstMilliseconds; }
    float worstDemoTime() const { return worstTime; }
    const std::string& worstEvents() const { return worstFrameEvents; }
    std::size_t slowerThan(double milliseconds) const;
    // The last count frame times (fewer at the start), oldest first; valid until the next add.
    std::span<const double> recent(std::size_t count) const;

    // The block the player prints at exit.
    std::string summary() const;

private:
    std::vector<double> times;
    float first = 0.0f;
    float last = 0.0f;
    double worstMilliseconds = 0.0;
    float worstTime = 0.0f;
    std::string worstFrameEvents;
};

// The layer's current event, "layer: scene camera N clear MODE", or "layer: none".
std::string describeLayerEvent(const Layer& layer);
// Each layer's, joined by "; ".
std::string describeLayerEvents(const Timeline& timeline);
