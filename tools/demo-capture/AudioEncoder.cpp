#include "AudioEncoder.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>

namespace {

constexpr std::int64_t aacBitRate = 192000;
// Frames of audio per encoder call where the codec takes any size.
constexpr int anyFrameSizeChunk = 4096;

} // namespace

bool AudioEncoder::fail(std::string reason)
{
    failure = std::move(reason);
    return false;
}

bool AudioEncoder::open(AVFormatContext* output, OutputKind kind, const AudioSpan& span)
{
    format = output;
    audio = span;
    const bool aac = kind == OutputKind::Mp4;
    const AVCodec* encoder = avcodec_find_encoder(aac ? AV_CODEC_ID_AAC : AV_CODEC_ID_FLAC);
    if (!encoder)
        return fail("the FFmpeg libraries here lack the audio encoder");
    codec.reset(avcodec_alloc_context3(encoder));
    stream = avformat_new_stream(format, nullptr);
    if (!codec || !stream)
        return fail("out of memory");
    codec->sample_fmt = aac ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_S16;
    codec->sample_rate = audio.sampleRate();
    av_channel_layout_default(&codec->ch_layout, audio.channels());
    codec->time_base = AVRational{1, audio.sampleRate()};
    if (aac)
        codec->bit_rate = aacBitRate;
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int result = avcodec_open2(codec.get(), encoder, nullptr);
    if (result < 0)
        return fail(std::string("cannot open the ") + encoder->name +
                    " encoder: " + avError(result));
    result = avcodec_parameters_from_context(stream->codecpar, codec.get());
    if (result < 0)
        return fail("cannot set up the audio stream: " + avError(result));
    stream->time_base = codec->time_base;
    chunkFrames =
        codec->frame_size > 0 && !(encoder->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE)
            ? codec->frame_size
            : anyFrameSizeChunk;

    SwrContext* made = nullptr;
    AVChannelLayout input{};
    av_channel_layout_default(&input, audio.channels());
    result = swr_alloc_set_opts2(&made, &codec->ch_layout, codec->sample_fmt, codec->sample_rate,
                                 &input, AV_SAMPLE_FMT_FLT, audio.sampleRate(), 0, nullptr);
    av_channel_layout_uninit(&input);
    resampler.reset(made);
    if (result < 0 || !resampler || swr_init(resampler.get()) < 0)
        return fail("cannot convert the music to the audio encoder's format");
    sound.reset(av_frame_alloc());
    packet.reset(av_packet_alloc());
    if (!sound || !packet)
        return fail("out of memory");
    // One buffer of a whole encoder frame, filled again for each.
    sound->format = codec->sample_fmt;
    sound->sample_rate = codec->sample_rate;
    sound->nb_samples = chunkFrames;
    if (av_channel_layout_copy(&sound->ch_layout, &codec->ch_layout) < 0 ||
        av_frame_get_buffer(sound.get(), 0) < 0)
        return fail("out of memory");
    return true;
}

bool AudioEncoder::writeUpTo(std::int64_t end, bool last)
{
    end = std::min(end, audio.frames);
    while (done < end) {
        const std::int64_t count = std::min<std::int64_t>(chunkFrames, end - done);
        if (count < chunkFrames && !last)
            break;
        // The encoder may still hold the buffer; then it is copied, a whole frame long.
        sound->nb_samples = chunkFrames;
        if (av_frame_make_writable(sound.get()) < 0)
            return fail("out of memory");
        sound->nb_samples = static_cast<int>(count);
        pending.resize(static_cast<std::size_t>(count * audio.channels()));
        audio.read(done, count, pending.data());
        const auto* input = reinterpret_cast<const uint8_t*>(pending.data());
        const int converted =
            swr_convert(resampler.get(), sound->data, sound->nb_samples, &input, sound->nb_samples);
        if (converted != sound->nb_samples)
            return fail("cannot convert the music to the audio encoder's format");
        sound->pts = done;
        if (!encode(sound.get()))
            return false;
        done += count;
    }
    return !last || encode(nullptr);
}

bool AudioEncoder::encode(AVFrame* frame)
{
    const std::string failure =
        encodeAndWrite(codec.get(), stream, format, packet.get(), frame, "the audio");
    return failure.empty() || fail(failure);
}
