#pragma once

#include "platform/AudioFile.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class AudioOutput;

// The playing position of the music, in frames, estimated from what the audio device has taken.
// Every time is passed in as nanoseconds of the monotonic clock, so the estimate can be driven
// by a test exactly as the device and the main loop drive it.
class MusicClock {
public:
    MusicClock(int sampleRate, std::int64_t latencyFrames);

    // Jumps to frame; the next estimates start there and may go back to it.
    void seek(std::int64_t frame, std::int64_t now);
    void start(std::int64_t now);
    // Freezes the position at its current estimate.
    void stop(std::int64_t now);
    bool running() const { return playing; }

    // A device callback at time now has just taken frames more.
    void deviceTook(std::int64_t frames, std::int64_t now);
    // From here on the position runs on the monotonic clock alone, from its current estimate.
    void becomeSilent(std::int64_t now);
    bool silent() const { return silentClock; }

    // Never less than an earlier result, except after a seek.
    std::int64_t positionFrames(std::int64_t now);
    // Truncated to whole milliseconds, as a sound library reports it.
    std::int64_t positionMilliseconds(std::int64_t now);

private:
    std::int64_t estimate(std::int64_t now) const;

    int rate;
    std::int64_t latency;
    bool playing = false;
    bool silentClock = false;
    std::int64_t anchorFrame = 0; // position at anchorTime (silent) or the seek target
    std::int64_t anchorTime = 0;
    std::int64_t handedFrames = 0;  // frames given to the device since the seek, plus anchorFrame
    std::int64_t lastCallback = -1; // monotonic time of the latest callback, -1 for none yet
    std::int64_t lastReported = 0;
};

// The music file, decoded whole, played through an audio device or, where none opens, timed by a
// silent clock with the same interface. The demo's master clock.
class MusicStream {
public:
    // A file that cannot be opened or decoded is "Cannot load file <path> from directory".
    explicit MusicStream(const std::string& musicFile);
    // withDevice false keeps the stream silent from the start.
    MusicStream(DecodedAudio audio, bool withDevice);
    MusicStream(const MusicStream&) = delete;
    MusicStream& operator=(const MusicStream&) = delete;
    virtual ~MusicStream();

    // Plays from the current position.
    virtual void play();
    virtual void stop();
    virtual void togglePause();
    // Seconds, from whole milliseconds.
    virtual float getTime();
    // Seeks to seconds × 1000 truncated to milliseconds.
    virtual void setTime(float seconds);

    // Seeks to the sample nearest to seconds, not to a whole millisecond as setTime does.
    void seekToSample(double seconds);

    // Closes the device and goes on from the current position on the silent clock.
    void useSilentClock();
    bool silent();

    const DecodedAudio& audio() const { return decoded; }

    // What the audio device calls for its next frames: samples from the read position, silence
    // past the end. Public so that a test can stand in for the device.
    void pullFrames(float* out, int frames);

private:
    DecodedAudio decoded;
    std::mutex lock; // guards readFrame and clock against the audio thread
    std::int64_t readFrame = 0;
    MusicClock clock;
    std::unique_ptr<AudioOutput> output;
};

// The version check done before anything else of the music is touched: linked libraries older
// than the ones built against are "You are using the wrong DLL version".
void checkAudioLibraryVersions();
