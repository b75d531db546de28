#include "shell/DemoPlayer.h"

#include "platform/AudioOutput.h"
#include "timeline/FrameClock.h"
#include "timeline/FrameComposition.h"

DemoPlayer::DemoPlayer(const DemoSettings& settings)
    : DemoPlayer(settings, std::make_unique<MusicStream>(settings.musicFile))
{
}

DemoPlayer::DemoPlayer(const DemoSettings& settings, std::unique_ptr<MusicStream> musicStream)
    : assets(DemoPaths::fromSettings(settings), settings.anisotropy), music(std::move(musicStream)),
      clock(music.get())
{
}

float startMusic(MusicStream& music, float startTime, const std::function<std::int64_t()>& now)
{
    music.play();
    if (startTime > 0.0001f)
        music.setTime(startTime);
    return awaitMusic(music, startTime, now);
}

float awaitMusic(MusicStream& music, float startTime, const std::function<std::int64_t()>& now)
{
    const float offset = music.getTime() - startTime;
    const std::int64_t deadline = now() + musicStartTimeout;
    // Busy: the first frame and the first audible sample should meet within one position step.
    while (music.getTime() - offset <= startTime) {
        if (now() > deadline) {
            music.useSilentClock();
            break;
        }
    }
    return offset;
}

void startPlayback(DemoPlayer& player, const FrameClock& clock)
{
    const float startTime = player.timeline.startTime;
    player.startOffset = startMusic(*player.clock, startTime, monotonicNanoseconds);
    startLayers(player.timeline, startTime, clock);
}
