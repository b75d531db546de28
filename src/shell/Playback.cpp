#include "shell/Playback.h"

#include "platform/AudioOutput.h"
#include "shell/DemoPlayer.h"
#include "timeline/FrameClock.h"
#include "timeline/Preroll.h"
#include "timeline/VirtualClock.h"

#include <algorithm>
#include <utility>

// The frame grid a seek lands on: a capture's default rate.
constexpr FrameRate seekFrameRate{60, 1};

Playback::Playback(DemoPlayer& player, PausableClock& clock, float audioOffsetSeconds,
                   LoopSpan span)
    : player(&player), clock(clock), sampling(player.assets.textures),
      audioOffset(audioOffsetSeconds), span(span), shown(span.start)
{
}

float Playback::musicTarget(float t) const
{
    return t + audioOffset;
}

float Playback::heardTime() const
{
    return player->demoTime() - audioOffset;
}

std::int64_t Playback::prerollTo(float t)
{
    sampling.restore();
    VirtualClock virtualClock(player->timeline.startTime, seekFrameRate, clock.frequency());
    prerollTimeline(player->timeline, virtualClock, {t, 0});
    // The scene clocks read on from where the pre-roll left the layers.
    clock.setCounter(virtualClock.counter());
    shown = t;
    changed = true;
    return virtualClock.counter();
}

void Playback::start(float t)
{
    const std::int64_t counter = prerollTo(t);
    MusicStream& music = *player->clock;
    music.seekToSample(musicTarget(t));
    music.play();
    player->startOffset = awaitMusic(music, musicTarget(t), monotonicNanoseconds);
    // The scene clocks start with the first audible movement, as at a plain start.
    clock.setCounter(counter);
}

float Playback::frameTime()
{
    // Held exactly where the seek put it, whatever the millisecond rounding of the music.
    if (paused())
        return shown;
    float t = heardTime();
    if (loopSpan && t > loopSpan->end) {
        seek(loopSpan->start);
        t = loopSpan->start;
    }
    shown = t;
    return t;
}

void Playback::seek(float t)
{
    t = std::clamp(t, player->timeline.startTime, span.end);
    prerollTo(t);
    MusicStream& music = *player->clock;
    music.seekToSample(musicTarget(t));
    // Demo time reads t from here; a playing device is heard there within one buffer.
    player->startOffset = music.getTime() - musicTarget(t);
}

void Playback::togglePause()
{
    if (paused()) {
        player->clock->play();
        clock.resume();
    } else {
        player->clock->stop();
        clock.pause();
        shown = heardTime();
        changed = true;
    }
}

bool Playback::paused() const
{
    return clock.paused();
}

void Playback::step(int frames)
{
    if (paused())
        seek(shown + static_cast<float>(frames) * stepSeconds);
}

void Playback::markLoop()
{
    if (loopSpan) {
        loopSpan.reset();
    } else if (!markedStart) {
        markedStart = shown;
    } else {
        // Marked backwards, the two ends simply swap; a loop of no length is none.
        const float a = std::min(*markedStart, shown);
        const float b = std::max(*markedStart, shown);
        if (b > a)
            loopSpan = LoopSpan{a, b};
        markedStart.reset();
    }
}

void Playback::takeOver(DemoPlayer& reloaded)
{
    player = &reloaded;
    sampling = TextureSampling(reloaded.assets.textures);
    prerollTo(paused() ? shown : heardTime());
}

bool Playback::frameWanted()
{
    if (!paused())
        return true;
    return std::exchange(changed, false);
}

void Playback::redraw()
{
    if (paused())
        seek(shown);
}
