#include "shell/AuthorOverlay.h"

#include "scene/Scene.h"
#include "shell/DemoPlayer.h"
#include "shell/Playback.h"

#include <cstdio>

namespace {

// Characters of a reload message on one line of the overlay, and lines at most.
constexpr std::size_t wrapColumns = 64;
constexpr std::size_t reloadLines = 3;

std::string format(const char* pattern, double a, double b = 0.0, double c = 0.0)
{
    char text[128];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

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

std::string loopLine(const Playback& playback)
{
    if (const auto loop = playback.loop())
        return format("loop %.3f - %.3f s (L clears it)", static_cast<double>(loop->start),
                      static_cast<double>(loop->end));
    if (const auto start = playback.loopStartMarked())
        return format("loop from %.3f s (L marks its end)", static_cast<double>(*start));
    return "loop off (L marks its start)";
}

} // namespace

std::string describeLayer(const Layer& layer, float t)
{
    const LayerEvent* event =
        layer.current < layer.events.size() ? &layer.events[layer.current] : nullptr;
    if (!event || event->time > t)
        return layer.name + ": -";
    if (!event->scene)
        return layer.name + ": none";
    return layer.name + ": " + event->scene->name + " cam " + std::to_string(event->cameraNumber) +
           " " + clearWord(event->clearMode);
}

void AuthorOverlay::frameShown(double milliseconds)
{
    recent.push_back(static_cast<float>(milliseconds));
    while (recent.size() > graphFrames)
        recent.pop_front();
}

TextPanel AuthorOverlay::panel(DemoPlayer& player, const Playback& playback) const
{
    TextPanel panel;
    const float t = playback.time();
    panel.lines.push_back(format("t %.3f s  music %.3f s", static_cast<double>(t),
                                 static_cast<double>(player.clock->getTime())) +
                          (playback.paused() ? "  PAUSED" : ""));
    double total = 0.0;
    double worst = 0.0;
    for (const float ms : recent) {
        total += static_cast<double>(ms);
        worst = std::max(worst, static_cast<double>(ms));
    }
    if (recent.empty() || total <= 0.0)
        panel.lines.push_back("fps -");
    else
        panel.lines.push_back(format("%.1f fps  %.1f ms  worst %.1f ms",
                                     static_cast<double>(recent.size()) * 1000.0 / total,
                                     total / static_cast<double>(recent.size()), worst));
    for (const Layer& layer : player.timeline.layers)
        panel.lines.push_back(describeLayer(layer, t));
    panel.lines.push_back(loopLine(playback));
    // A long loading error wraps over a few lines rather than widening the box off the screen.
    for (std::size_t at = 0; at < reload.size() && at < wrapColumns * reloadLines;
         at += wrapColumns)
        panel.lines.push_back(reload.substr(at, wrapColumns));
    panel.frameMilliseconds.assign(recent.begin(), recent.end());
    return panel;
}
