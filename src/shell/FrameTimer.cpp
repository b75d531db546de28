#include "shell/FrameTimer.h"

#include "platform/Clock.h"
#include "timeline/FrameStats.h"

FrameTimer::FrameTimer(FrameStats& frameStats, Timeline& frameTimeline)
    : stats(frameStats), timeline(&frameTimeline), lastPresent(performanceCounter()),
      millisecondsPerTick(1000.0 / static_cast<double>(performanceFrequency()))
{
}

void FrameTimer::presented()
{
    const std::int64_t now = performanceCounter();
    if (drawnTime &&
        stats.add(*drawnTime, static_cast<double>(now - lastPresent) * millisecondsPerTick))
        stats.setWorstEvents(describeLayerEvents(*timeline));
    drawnTime.reset();
    lastPresent = now;
}
