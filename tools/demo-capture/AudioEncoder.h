#pragma once

#include "FrameSink.h"
#include "LibAv.h"

#include <cstdint>
#include <string>
#include <vector>

// The music of a span as one stream of an output file: AAC in an .mp4, FLAC in an .mkv. A
// capture feeds it alongside its frames; a join feeds it once for the whole span, so no part
// boundary shows in the sound.
class AudioEncoder {
public:
    // Adds the stream to format, whose header is not written yet; false with the reason in
    // error().
    bool open(AVFormatContext* output, OutputKind kind, const AudioSpan& span);
    // Encodes the span up to audio frame `end`: whole encoder frames only, unless last, when the
    // short remainder goes too, and the encoder is drained.
    bool writeUpTo(std::int64_t end, bool last);

    std::int64_t framesDone() const { return done; }
    const AudioSpan& span() const { return audio; }
    const std::string& error() const { return failure; }

private:
    bool fail(std::string reason);
    bool encode(AVFrame* frame);

    AVFormatContext* format = nullptr; // the output's, which outlives this
    AudioSpan audio;
    CodecPtr codec;
    AVStream* stream = nullptr; // owned by format
    FramePtr sound;
    PacketPtr packet;
    ResamplePtr resampler;
    int chunkFrames = 0;
    std::vector<float> pending; // the samples of one encoder frame
    std::int64_t done = 0;
    std::string failure;
};
