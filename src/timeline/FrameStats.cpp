#include "timeline/FrameStats.h"

#include "scene/Scene.h"
#include "timeline/Timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const char* clearWord(ClearMode mode)
{
    switch (mode) {
    case ClearMode::Nothing:
        return "nc";
    case ClearMode::Depth:
        return "cz";
    case ClearMode::DepthAndColour:
        return "cl";
    case ClearMode::Colour:
        return "cc";
    }
    return "?";
}

std::string formatted(const char* format, double a, double b = 0.0, double c = 0.0)
{
    char line[160];
    std::snprintf(line, sizeof line, format, a, b, c);
    return line;
}

} // namespace

bool FrameStats::add(float demoTime, double milliseconds)
{
    if (times.empty())
        first = demoTime;
    last = demoTime;
    times.push_back(milliseconds);
    if (times.size() > 1 && milliseconds <= worstMilliseconds)
        return false;
    worstMilliseconds = milliseconds;
    worstTime = demoTime;
    return true;
}

double FrameStats::percentile(double p) const
{
    if (times.empty())
        return 0.0;
    std::vector<double> sorted = times;
    const double rank = std::ceil(p / 100.0 * static_cast<double>(sorted.size()));
    const auto index =
        static_cast<std::size_t>(std::clamp(rank, 1.0, static_cast<double>(sorted.size()))) - 1;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(index),
                     sorted.end());
    return sorted[index];
}

std::size_t FrameStats::slowerThan(double milliseconds) const
{
    return static_cast<std::size_t>(
        std::count_if(times.begin(), times.end(), [&](double t) { return t > milliseconds; }));
}

std::string FrameStats::summary() const
{
    std::string text = "frames drawn: " + std::to_string(frames()) + "\n";
    if (times.empty())
        return text;
    text += formatted("demo span played: %.3f to %.3f s\n", first, last);
    text += formatted("frame time: median %.1f ms, 99th percentile %.1f ms, worst %.1f ms\n",
                      median(), percentile(99.0), worst());
    text +=
        "frames slower than 1/30 s: " + std::to_string(slowerThan(slowFrameMilliseconds)) + "\n";
    text += formatted("worst frame at demo time %.3f s", worstTime);
    if (!worstFrameEvents.empty())
        text += ": " + worstFrameEvents;
    return text + "\n";
}

std::span<const double> FrameStats::recent(std::size_t count) const
{
    const std::span<const double> all(times);
    return all.last(std::min(count, all.size()));
}

std::string describeLayerEvent(const Layer& layer)
{
    const LayerEvent* event =
        layer.current < layer.events.size() ? &layer.events[layer.current] : nullptr;
    if (!event || !event->scene)
        return layer.name + ": none";
    return layer.name + ": " + event->scene->name + " camera " +
           std::to_string(event->cameraNumber) + " clear " + clearWord(event->clearMode);
}

std::string describeLayerEvents(const Timeline& timeline)
{
    std::string text;
    for (const Layer& layer : timeline.layers)
        text += (text.empty() ? "" : "; ") + describeLayerEvent(layer);
    return text;
}
