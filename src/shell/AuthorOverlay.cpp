#include "shell/AuthorOverlay.h"

#include "shell/DemoPlayer.h"
#include "shell/Playback.h"
#include "timeline/FrameStats.h"

#include <algorithm>
#include <cstdio>
#include <span>

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

TextPanel AuthorOverlay::panel(DemoPlayer& player, const Playback& playback,
                               const FrameStats& stats) const
{
    TextPanel panel;
    const float t = playback.time();
    panel.lines.push_back(format("t %.3f s  music %.3f s", static_cast<double>(t),
                                 static_cast<double>(player.clock->getTime())) +
                          (playback.paused() ? "  PAUSED" : ""));
    const std::span<const double> recent = stats.recent(graphFrames);
    double total = 0.0;
    double worst = 0.0;
    for (const double ms : recent) {
        total += ms;
        worst = std::max(worst, ms);
    }
    if (recent.empty() || total <= 0.0)
        panel.lines.push_back("fps -");
    else
        panel.lines.push_back(format("%.1f fps  %.1f ms  worst %.1f ms",
                                     static_cast<double>(recent.size()) * 1000.0 / total,
                                     total / static_cast<double>(recent.size()), worst));
    for (const Layer& layer : player.timeline.layers)
        panel.lines.push_back(describeLayerEvent(layer));
    panel.lines.push_back(loopLine(playback));
    // A long loading error wraps over a few lines rather than widening the box off the screen.
    for (std::size_t at = 0; at < reload.size() && at < wrapColumns * reloadLines;
         at += wrapColumns)
        panel.lines.push_back(reload.substr(at, wrapColumns));
    panel.frameMilliseconds.reserve(recent.size());
    for (const double ms : recent)
        panel.frameMilliseconds.push_back(static_cast<float>(ms));
    return panel;
}
