#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// One SDL2 audio device playing interleaved float frames that a fill function supplies on the
// audio thread.
class AudioOutput {
public:
    // Called on the audio thread with room for frames × channels samples; it must fill all of it.
    using Fill = std::function<void(float* out, int frames)>;

    // Opens the default device at the given rate and channel count with a short buffer, paused.
    // Null where no audio device can be opened (a headless machine).
    static std::unique_ptr<AudioOutput> open(int sampleRate, int channels, Fill fill);

    // Only open() can make one: the key is private.
    struct Key {
    private:
        Key() = default;
        friend class AudioOutput;
    };
    AudioOutput(Key, int channels, Fill fill);
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;
    // Closing waits for a running callback to return.
    ~AudioOutput();

    void setPaused(bool paused);
    // Frames the device buffers between two callbacks; the estimate of its latency.
    int bufferFrames() const { return deviceFrames; }

private:
    static void callback(void* user, unsigned char* stream, int bytes);

    std::uint32_t device = 0;
    int deviceFrames = 0;
    int channelCount;
    Fill fill;
};

// Nanoseconds of a monotonic clock with an arbitrary origin.
std::int64_t monotonicNanoseconds();

// True when the linked SDL2 and libsndfile are not older than the versions the program was
// built against.
bool audioLibrariesUpToDate();

// "1.2.3" style versions compared field by field from the first digit on (so "libsndfile-1.2.3"
// reads as 1.2.3); a missing field counts as 0.
bool versionAtLeast(const char* linked, const char* built);
