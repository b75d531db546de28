#include "shell/MusicStream.h"

#include "platform/AudioOutput.h"
#include "shell/LoadError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

constexpr std::int64_t nanosecondsPerSecond = 1'000'000'000;
constexpr float maxSeekSeconds = 1.0e9f;
constexpr std::int64_t stalledDeviceNanoseconds = 500'000'000;

// Whole seconds and the rest apart, so that no product overflows whatever the rate and however
// long the music has run.
static std::int64_t framesIn(std::int64_t nanoseconds, std::int64_t rate)
{
    return nanoseconds / nanosecondsPerSecond * rate +
           nanoseconds % nanosecondsPerSecond * rate / nanosecondsPerSecond;
}

MusicClock::MusicClock(int sampleRate, std::int64_t latencyFrames)
    : rate(sampleRate > 0 ? sampleRate : 1), latency(latencyFrames)
{
}

void MusicClock::seek(std::int64_t frame, std::int64_t now)
{
    anchorFrame = frame;
    anchorTime = now;
    handedFrames = frame;
    lastCallback = -1;
    lastReported = frame;
}

void MusicClock::start(std::int64_t now)
{
    if (playing)
        return;
    playing = true;
    anchorTime = now;
    // The device starts again from what it was handed; it re-buffers before it is heard.
    handedFrames = anchorFrame;
    lastCallback = -1;
}

void MusicClock::stop(std::int64_t now)
{
    if (!playing)
        return;
    const std::int64_t here = positionFrames(now);
    playing = false;
    seek(here, now);
}

void MusicClock::deviceTook(std::int64_t frames, std::int64_t now)
{
    if (!playing || silentClock)
        return;
    handedFrames += frames;
    lastCallback = now;
}

void MusicClock::becomeSilent(std::int64_t now)
{
    const std::int64_t here = positionFrames(now);
    silentClock = true;
    anchorFrame = here;
    anchorTime = now;
    lastReported = here;
}

std::int64_t MusicClock::estimate(std::int64_t now) const
{
    if (!playing)
        return anchorFrame;
    if (silentClock)
        return anchorFrame + framesIn(now - anchorTime, rate);
    // Before the first callback nothing has been heard: the position waits at the seek target,
    // which is what lets playback start on the first audible movement.
    if (lastCallback < 0)
        return anchorFrame;
    // What was handed is heard a device buffer later; between callbacks the position moves at
    // the sample rate, but never past what the device has actually been given.
    const std::int64_t elapsed = std::max<std::int64_t>(0, now - lastCallback);
    const std::int64_t moving = handedFrames - latency + framesIn(elapsed, rate);
    // A device that stops calling back (suspended, unplugged) must not stop the demo: after
    // half a second without a callback the position runs on at the sample rate.
    if (elapsed > stalledDeviceNanoseconds)
        return moving;
    return std::min(moving, handedFrames);
}

std::int64_t MusicClock::positionFrames(std::int64_t now)
{
    lastReported = std::max(lastReported, estimate(now));
    return lastReported;
}

std::int64_t MusicClock::positionMilliseconds(std::int64_t now)
{
    const std::int64_t frames = positionFrames(now);
    return frames / rate * 1000 + frames % rate * 1000 / rate;
}

void checkAudioLibraryVersions()
{
    if (!audioLibrariesUpToDate())
        throw LoadError("You are using the wrong DLL version");
}

static DecodedAudio decodeOrThrow(const std::string& musicFile)
{
    checkAudioLibraryVersions();
    std::optional<DecodedAudio> audio = decodeAudioFile(musicFile);
    if (!audio)
        throwCannotLoad(musicFile);
    return std::move(*audio);
}

MusicStream::MusicStream(const std::string& musicFile) : MusicStream(decodeOrThrow(musicFile), true)
{
}

MusicStream::MusicStream(DecodedAudio audio, bool withDevice)
    : decoded(std::move(audio)), clock(decoded.sampleRate, 0)
{
    if (withDevice)
        output = AudioOutput::open(decoded.sampleRate, decoded.channels,
                                   [this](float* out, int frames) { pullFrames(out, frames); });
    if (output) {
        clock = MusicClock(decoded.sampleRate, output->bufferFrames());
    } else {
        if (withDevice)
            std::fprintf(stderr, "Ardun{Quillomark}: no audio device opened; the music plays on "
                                 "a silent clock\n");
        clock.becomeSilent(monotonicNanoseconds());
    }
}

MusicStream::~MusicStream()
{
    // The device goes first, so no callback runs into a half-destroyed stream.
    output.reset();
}

void MusicStream::pullFrames(float* out, int frames)
{
    const std::lock_guard<std::mutex> guard(lock);
    const std::int64_t total = decoded.frameCount();
    const std::int64_t available = std::clamp<std::int64_t>(total - readFrame, 0, frames);
    const auto channels = static_cast<std::size_t>(decoded.channels);
    // Past the end the device gets silence and the clock keeps running, so the demo reaches its
    // end time whatever the length of the music.
    const std::size_t copied = static_cast<std::size_t>(available) * channels;
    if (available > 0)
        std::copy_n(decoded.samples.begin() +
                        static_cast<std::ptrdiff_t>(readFrame) * decoded.channels,
                    copied, out);
    std::fill(out + copied, out + static_cast<std::size_t>(frames) * channels, 0.0f);
    readFrame += frames;
    clock.deviceTook(frames, monotonicNanoseconds());
}

void MusicStream::play()
{
    {
        const std::lock_guard<std::mutex> guard(lock);
        clock.start(monotonicNanoseconds());
    }
    if (output)
        output->setPaused(false);
}

void MusicStream::stop()
{
    if (output)
        output->setPaused(true);
    const std::lock_guard<std::mutex> guard(lock);
    const std::int64_t now = monotonicNanoseconds();
    clock.stop(now);
    readFrame = clock.positionFrames(now);
}

void MusicStream::togglePause()
{
    bool running = false;
    {
        const std::lock_guard<std::mutex> guard(lock);
        running = clock.running();
    }
    if (running)
        stop();
    else
        play();
}

float MusicStream::getTime()
{
    const std::lock_guard<std::mutex> guard(lock);
    // One rounding to float, so that a whole number of milliseconds reads as the float nearest
    // to it (90500 ms is 90.5 s exactly).
    const auto milliseconds =
        static_cast<float>(clock.positionMilliseconds(monotonicNanoseconds()));
    return static_cast<float>(static_cast<double>(milliseconds) * 0.001);
}

void MusicStream::setTime(float seconds)
{
    // A start time from a configuration file can be anything: keep the conversion defined
    // (NaN and negatives seek to 0, a billion seconds is the far end).
    const float clamped = seconds > 0.0f ? std::min(seconds, maxSeekSeconds) : 0.0f;
    // Truncated from the exact product: in float, 0.01 (just below it) would round up to 10 ms.
    const auto milliseconds = static_cast<std::int64_t>(static_cast<double>(clamped) * 1000.0);
    // The first frame inside that millisecond, so the position reads back as milliseconds: at
    // 44.1 kHz most milliseconds start between two frames.
    const std::int64_t rate = decoded.sampleRate;
    const std::int64_t frame =
        milliseconds / 1000 * rate + (milliseconds % 1000 * rate + 999) / 1000;
    const std::lock_guard<std::mutex> guard(lock);
    readFrame = frame;
    clock.seek(frame, monotonicNanoseconds());
}

void MusicStream::seekToSample(double seconds)
{
    const double clamped = seconds > 0.0 ? std::min(seconds, double{maxSeekSeconds}) : 0.0;
    const auto frame = std::llround(clamped * decoded.sampleRate);
    const std::lock_guard<std::mutex> guard(lock);
    readFrame = frame;
    clock.seek(frame, monotonicNanoseconds());
}

void MusicStream::useSilentClock()
{
    // Closing the device waits for its callback, which takes the lock: release it first.
    output.reset();
    const std::lock_guard<std::mutex> guard(lock);
    clock.becomeSilent(monotonicNanoseconds());
}

bool MusicStream::silent()
{
    const std::lock_guard<std::mutex> guard(lock);
    return clock.silent();
}
