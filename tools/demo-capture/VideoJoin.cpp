#include "AudioEncoder.h"
#include "Join.h"
#include "LibAv.h"

#include <cstring>

namespace {

// The output file: one copied video stream and the encoded audio.
struct JoinedFile {
    FormatPtr format;
    AVStream* video = nullptr; // owned by format
    AudioEncoder audio;
};

InputPtr openPart(const std::string& path, int& videoIndex, std::string& error)
{
    AVFormatContext* made = nullptr;
    int result = avformat_open_input(&made, path.c_str(), nullptr, nullptr);
    if (result < 0) {
        error = "cannot read " + path + ": " + avError(result);
        return nullptr;
    }
    InputPtr input(made);
    result = avformat_find_stream_info(input.get(), nullptr);
    videoIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (result < 0 || videoIndex < 0) {
        error = path + " holds no video";
        return nullptr;
    }
    return input;
}

// Parts of one capture were encoded alike: the same codec, picture and global headers, so
// their packets can follow each other in one stream.
bool sameEncoding(const AVCodecParameters& a, const AVCodecParameters& b)
{
    return a.codec_id == b.codec_id && a.width == b.width && a.height == b.height &&
           a.format == b.format && a.extradata_size == b.extradata_size &&
           (a.extradata_size == 0 ||
            std::memcmp(a.extradata, b.extradata, static_cast<std::size_t>(a.extradata_size)) == 0);
}

bool openJoined(JoinedFile& file, const std::string& out, OutputKind kind,
                const AVCodecParameters& video, FrameRate rate, const AudioSpan& audio,
                std::string& error)
{
    AVFormatContext* made = nullptr;
    int result = avformat_alloc_output_context2(&made, nullptr, nullptr, out.c_str());
    if (result < 0 || !made) {
        error = "cannot make " + out + ": " + avError(result);
        return false;
    }
    file.format.reset(made);
    file.video = avformat_new_stream(made, nullptr);
    if (!file.video || avcodec_parameters_copy(file.video->codecpar, &video) < 0) {
        error = "out of memory";
        return false;
    }
    file.video->codecpar->codec_tag = 0;
    file.video->time_base = frameTimeBase(rate);
    file.video->avg_frame_rate = framesPerSecond(rate);
    if (!file.audio.open(made, kind, audio)) {
        error = file.audio.error();
        return false;
    }
    result = avio_open(&made->pb, out.c_str(), AVIO_FLAG_WRITE);
    if (result >= 0)
        result = avformat_write_header(made, nullptr);
    if (result < 0) {
        error = "cannot write " + out + ": " + avError(result);
        return false;
    }
    return true;
}

// Writes a copied packet as frame `frame` of the grid (decoded as frame `decoded`), after the
// audio that plays up to its end.
bool writePacket(JoinedFile& file, AVPacket& packet, std::int64_t frame, std::int64_t decoded,
                 FrameRate rate, std::string& error)
{
    const AVRational frameBase = frameTimeBase(rate);
    packet.pts = av_rescale_q(frame, frameBase, file.video->time_base);
    if (decoded != AV_NOPTS_VALUE)
        packet.dts = av_rescale_q(decoded, frameBase, file.video->time_base);
    packet.duration = av_rescale_q(1, frameBase, file.video->time_base);
    packet.stream_index = file.video->index;
    packet.pos = -1;
    const AudioSpan& audio = file.audio.span();
    if (!file.audio.writeUpTo(audioFramesFor(frame + 1, rate, audio.sampleRate()), false)) {
        error = file.audio.error();
        return false;
    }
    const int result = av_interleaved_write_frame(file.format.get(), &packet);
    if (result < 0) {
        error = "cannot write the joined video: " + avError(result);
        return false;
    }
    return true;
}

// Copies one part's video packets, moved to its place in the grid, with the audio up to each.
bool copyPart(JoinedFile& file, const JoinPart& part, const AVCodecParameters& encoding,
              std::string& error)
{
    int videoIndex = -1;
    InputPtr input = openPart(part.path, videoIndex, error);
    if (!input)
        return false;
    const AVStream* stream = input->streams[videoIndex];
    if (!sameEncoding(encoding, *stream->codecpar)) {
        error = part.path + " was encoded with other settings than the first part";
        return false;
    }
    const FrameRate rate = part.sidecar.rate;
    const AVRational frameBase = frameTimeBase(rate);
    const auto toFrames = [&](std::int64_t time) {
        return av_rescale_q_rnd(time, stream->time_base, frameBase,
                                static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    };
    PacketPtr packet(av_packet_alloc());
    std::int64_t shift = 0; // frames from the part's own numbering to the grid's
    std::int64_t copied = 0;
    while (packet && av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index != videoIndex) {
            av_packet_unref(packet.get());
            continue;
        }
        // The first packet in decoding order is the key frame shown first.
        if (copied == 0) {
            if (!(packet->flags & AV_PKT_FLAG_KEY) || packet->pts == AV_NOPTS_VALUE) {
                error = part.path + " does not start with a key frame";
                return false;
            }
            shift = part.sidecar.first - toFrames(packet->pts);
        }
        const std::int64_t frame = toFrames(packet->pts) + shift;
        const std::int64_t decoded =
            packet->dts == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : toFrames(packet->dts) + shift;
        if (!writePacket(file, *packet, frame, decoded, rate, error))
            return false;
        ++copied;
    }
    const std::int64_t expected = part.sidecar.last - part.sidecar.first + 1;
    if (copied != expected) {
        error = part.path + " holds " + std::to_string(copied) + " frames, not the " +
                std::to_string(expected) + " its description gives";
        return false;
    }
    return true;
}

} // namespace

bool joinVideoParts(const std::vector<JoinPart>& parts, const std::string& out, OutputKind kind,
                    const AudioSpan& audio, std::string& error)
{
    av_log_set_level(AV_LOG_QUIET);
    int videoIndex = -1;
    InputPtr first = openPart(parts.front().path, videoIndex, error);
    if (!first)
        return false;
    const ParametersPtr encoding(avcodec_parameters_alloc());
    if (!encoding ||
        avcodec_parameters_copy(encoding.get(), first->streams[videoIndex]->codecpar) < 0) {
        error = "out of memory";
        return false;
    }
    first.reset();

    JoinedFile file;
    if (!openJoined(file, out, kind, *encoding, parts.front().sidecar.rate, audio, error))
        return false;
    for (const JoinPart& part : parts)
        if (!copyPart(file, part, *encoding, error))
            return false;
    if (!file.audio.writeUpTo(audio.frames, true)) {
        error = file.audio.error();
        return false;
    }
    int result = av_write_trailer(file.format.get());
    if (result >= 0)
        result = avio_closep(&file.format->pb);
    if (result < 0) {
        error = "cannot write " + out + ": " + avError(result);
        return false;
    }
    return true;
}
