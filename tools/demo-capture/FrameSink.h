#pragma once

#include "platform/AudioFile.h"
#include "timeline/FrameRate.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// What a capture writes into: numbered PNG files with a WAV file, or a video file.
enum class OutputKind : unsigned char { PngFolder, Mp4, Mkv };

// A folder (existing, or a path ending in "/"), ".mp4" or ".mkv"; empty for anything else.
std::optional<OutputKind> outputKindFor(const std::string& path);

// The music that plays from demo second `from` to `to`: round((to - from) × rate) frames from
// frame round(from × rate), silence where the music has ended. Demo time is the music's
// position, so its frame 0 plays at demo second 0. Read piece by piece, so that a long span of
// silence past the music costs no memory.
struct AudioSpan {
    const DecodedAudio* music = nullptr; // outlives the span
    std::int64_t first = 0;
    std::int64_t frames = 0;

    int sampleRate() const { return music->sampleRate; }
    int channels() const { return music->channels; }
    // count frames from offset into out, interleaved.
    void read(std::int64_t offset, std::int64_t count, float* out) const;
};

AudioSpan audioSpan(const DecodedAudio& music, float from, float to);

// The first `frames` frames of the span as a whole (all of it by default).
DecodedAudio audioSegment(const AudioSpan& span, std::int64_t frames = -1);

struct SinkSetup {
    int width = 0;
    int height = 0;
    FrameRate rate;
    AudioSpan audio;
    int quality = 0; // H.264 constant rate factor; lower is better
    // A part of a capture: frames numbered from firstIndex (PNG names) and no audio, which the
    // join writes for the whole span.
    std::int64_t firstIndex = 0;
    bool withAudio = true;
};

// One picture: BGR, 8 bits a channel, rows packed and bottom row first, as GL reads them (the
// order the converters to YUV and to PNG take fastest).
using FramePixels = std::vector<unsigned char>;

// Receives the frames in order on one thread. A failed call leaves its reason in error(), and
// nothing more is written after it.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual bool writeFrame(std::int64_t index, const FramePixels& pixels) = 0;
    // Closes the output after `frames` frames. The audio runs to the end of the span when
    // complete, else as far as the frames written, so a stopped capture stays in sync.
    virtual bool finish(std::int64_t frames, bool complete) = 0;
    const std::string& error() const { return failure; }

protected:
    bool fail(std::string reason)
    {
        failure = std::move(reason);
        return false;
    }

private:
    std::string failure;
};

// "frame-000042.png": the name of frame 42 of a capture in a folder.
std::string frameFileName(std::int64_t index);

// Opens the output at path, or returns null with the reason in error.
std::unique_ptr<FrameSink> openPngSink(const std::string& folder, SinkSetup setup,
                                       std::string& error);
std::unique_ptr<FrameSink> openVideoSink(const std::string& path, OutputKind kind, SinkSetup setup,
                                         std::string& error);

// Frames of the audio that belong to the first `frames` video frames.
std::int64_t audioFramesFor(std::int64_t frames, FrameRate rate, int sampleRate);
