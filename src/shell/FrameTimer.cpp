#include "shell/FrameTimer.h"

#include "platform/Clock.h"
#include "timeline/FrameStats.h"

FrameTimer::FrameTimer(FrameStats& frameStats)
    : stats(frameStats), lastPresent(performanceCounter()),
      millisecondsPerTick(1000.0 / static_cast<double>(performanceFrequency()))
{
}

void FrameTimer::presented(const Timeline& timeline)
{
    const std::int64_t now = performanceCounter();
    if (drawnTime &&
        stats.add(*drawnTime, static_cast<double>(now - lastPresent) * millisecondsPerTick))
        stats.setWorstEvents(describeLayerEvents(timeline));
    drawnTime.reset();
    lastPresent = now;
}
