#include "FrameSink.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>

namespace {

// Encoding costs a tenth of the render of a frame, so a capture keeps near the render rate on
// two cores; the constant rate factor alone sets the quality (at some cost in file size).
constexpr const char* h264Preset = "superfast";
constexpr std::int64_t aacBitRate = 192000;
// Seconds between key frames, so a player can seek.
constexpr int keyFrameSeconds = 2;
// Frames of audio per encoder call where the codec takes any size.
constexpr int anyFrameSizeChunk = 4096;
// FFV1's version 3 codes slices in parallel and checks each with a CRC.
constexpr int ffv1Level = 3;

std::string avError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

struct FormatDeleter {
    void operator()(AVFormatContext* format) const
    {
        if (format->pb && !(format->oformat->flags & AVFMT_NOFILE))
            avio_closep(&format->pb);
        avformat_free_context(format);
    }
};
struct CodecDeleter {
    void operator()(AVCodecContext* codec) const { avcodec_free_context(&codec); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScaleDeleter {
    void operator()(SwsContext* scale) const { sws_freeContext(scale); }
};
struct ResampleDeleter {
    void operator()(SwrContext* resample) const { swr_free(&resample); }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatDeleter>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using ScalePtr = std::unique_ptr<SwsContext, ScaleDeleter>;
using ResamplePtr = std::unique_ptr<SwrContext, ResampleDeleter>;

// H.264 in yuv420p plays everywhere; FFV1 keeps the RGB exactly, packed with a padding byte.
struct Codecs {
    const AVCodec* video;
    AVPixelFormat pixels;
    const AVCodec* audio;
    AVSampleFormat samples;
};

Codecs codecsFor(OutputKind kind)
{
    if (kind == OutputKind::Mp4) {
        const AVCodec* h264 = avcodec_find_encoder_by_name("libx264");
        return {h264 ? h264 : avcodec_find_encoder(AV_CODEC_ID_H264), AV_PIX_FMT_YUV420P,
                avcodec_find_encoder(AV_CODEC_ID_AAC), AV_SAMPLE_FMT_FLTP};
    }
    return {avcodec_find_encoder(AV_CODEC_ID_FFV1), AV_PIX_FMT_0RGB32,
            avcodec_find_encoder(AV_CODEC_ID_FLAC), AV_SAMPLE_FMT_S16};
}

class VideoSink final : public FrameSink {
public:
    VideoSink(SinkSetup sinkSetup, OutputKind outputKind)
        : setup(std::move(sinkSetup)), kind(outputKind)
    {
    }

    bool open(const std::string& path)
    {
        outputPath = path;
        // The encoders' own statistics would bury the progress; failures are reported here.
        av_log_set_level(AV_LOG_QUIET);
        AVFormatContext* made = nullptr;
        int result = avformat_alloc_output_context2(&made, nullptr, nullptr, path.c_str());
        if (result < 0 || !made)
            return fail("cannot make " + path + ": " + avError(result));
        format.reset(made);
        const Codecs codecs = codecsFor(kind);
        if (!codecs.video || !codecs.audio)
            return fail("the FFmpeg libraries here lack the encoders for " + path);
        if (!openVideo(codecs) || !openAudio(codecs))
            return false;
        result = avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE);
        if (result < 0)
            return fail("cannot write " + path + ": " + avError(result));
        result = avformat_write_header(format.get(), nullptr);
        if (result < 0)
            return fail("cannot write " + path + ": " + avError(result));
        return true;
    }

    bool writeFrame(std::int64_t index, const FramePixels& pixels) override
    {
        int result = av_frame_make_writable(picture.get());
        if (result < 0)
            return fail("cannot encode: " + avError(result));
        // A negative stride hands the scaler the bottom-up rows top row first.
        const int stride = setup.width * 3;
        const uint8_t* rows[1] = {pixels.data() +
                                  static_cast<std::ptrdiff_t>(stride) * (setup.height - 1)};
        const int strides[1] = {-stride};
        sws_scale(scaler.get(), rows, strides, 0, setup.height, picture->data, picture->linesize);
        picture->pts = index;
        if (!encode(video.get(), videoStream, picture.get()))
            return false;
        return writeAudioUpTo(audioFramesFor(index + 1, setup.rate, setup.audio.sampleRate()),
                              false);
    }

    bool finish(std::int64_t frames, bool complete) override
    {
        const std::int64_t audioEnd =
            complete ? setup.audio.frames
                     : audioFramesFor(frames, setup.rate, setup.audio.sampleRate());
        if (!writeAudioUpTo(audioEnd, true) || !encode(video.get(), videoStream, nullptr) ||
            !encode(audio.get(), audioStream, nullptr))
            return false;
        const int result = av_write_trailer(format.get());
        if (result < 0)
            return fail("cannot write " + outputPath + ": " + avError(result));
        const int closed = avio_closep(&format->pb);
        if (closed < 0)
            return fail("cannot write " + outputPath + ": " + avError(closed));
        return true;
    }

private:
    bool openVideo(const Codecs& codecs)
    {
        video.reset(avcodec_alloc_context3(codecs.video));
        videoStream = avformat_new_stream(format.get(), nullptr);
        if (!video || !videoStream)
            return fail("out of memory");
        video->width = setup.width;
        video->height = setup.height;
        video->pix_fmt = codecs.pixels;
        video->time_base = AVRational{static_cast<int>(setup.rate.denominator),
                                      static_cast<int>(setup.rate.numerator)};
        video->framerate = AVRational{static_cast<int>(setup.rate.numerator),
                                      static_cast<int>(setup.rate.denominator)};
        video->gop_size = static_cast<int>(std::max<std::int64_t>(
            1, keyFrameSeconds * setup.rate.numerator / setup.rate.denominator));
        if (kind == OutputKind::Mp4) {
            // The scaler converts with the BT.601 matrix in limited range; say so.
            video->colorspace = AVCOL_SPC_SMPTE170M;
            video->color_range = AVCOL_RANGE_MPEG;
            av_opt_set(video->priv_data, "preset", h264Preset, 0);
            av_opt_set_double(video->priv_data, "crf", setup.quality, 0);
        } else {
            video->level = ffv1Level;
        }
        video->thread_count = 0; // as many as the machine has
        if (format->oformat->flags & AVFMT_GLOBALHEADER)
            video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int result = avcodec_open2(video.get(), codecs.video, nullptr);
        if (result < 0)
            return fail(std::string("cannot open the ") + codecs.video->name +
                        " encoder: " + avError(result));
        result = avcodec_parameters_from_context(videoStream->codecpar, video.get());
        if (result < 0)
            return fail("cannot set up the video stream: " + avError(result));
        videoStream->time_base = video->time_base;
        videoStream->avg_frame_rate = video->framerate;

        picture.reset(av_frame_alloc());
        if (!picture)
            return fail("out of memory");
        picture->format = video->pix_fmt;
        picture->width = setup.width;
        picture->height = setup.height;
        if (av_frame_get_buffer(picture.get(), 0) < 0)
            return fail("out of memory");
        scaler.reset(sws_getContext(setup.width, setup.height, AV_PIX_FMT_BGR24, setup.width,
                                    setup.height, video->pix_fmt, SWS_BILINEAR, nullptr, nullptr,
                                    nullptr));
        if (!scaler)
            return fail("cannot convert RGB to the video's pixel format");
        return true;
    }

    bool openAudio(const Codecs& codecs)
    {
        audio.reset(avcodec_alloc_context3(codecs.audio));
        audioStream = avformat_new_stream(format.get(), nullptr);
        if (!audio || !audioStream)
            return fail("out of memory");
        audio->sample_fmt = codecs.samples;
        audio->sample_rate = setup.audio.sampleRate();
        av_channel_layout_default(&audio->ch_layout, setup.audio.channels());
        audio->time_base = AVRational{1, setup.audio.sampleRate()};
        if (kind == OutputKind::Mp4)
            audio->bit_rate = aacBitRate;
        if (format->oformat->flags & AVFMT_GLOBALHEADER)
            audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int result = avcodec_open2(audio.get(), codecs.audio, nullptr);
        if (result < 0)
            return fail(std::string("cannot open the ") + codecs.audio->name +
                        " encoder: " + avError(result));
        result = avcodec_parameters_from_context(audioStream->codecpar, audio.get());
        if (result < 0)
            return fail("cannot set up the audio stream: " + avError(result));
        audioStream->time_base = audio->time_base;
        chunkFrames = audio->frame_size > 0 &&
                              !(codecs.audio->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE)
                          ? audio->frame_size
                          : anyFrameSizeChunk;

        SwrContext* made = nullptr;
        AVChannelLayout input{};
        av_channel_layout_default(&input, setup.audio.channels());
        result =
            swr_alloc_set_opts2(&made, &audio->ch_layout, audio->sample_fmt, audio->sample_rate,
                                &input, AV_SAMPLE_FMT_FLT, setup.audio.sampleRate(), 0, nullptr);
        av_channel_layout_uninit(&input);
        resampler.reset(made);
        if (result < 0 || !resampler || swr_init(resampler.get()) < 0)
            return fail("cannot convert the music to the audio encoder's format");

        sound.reset(av_frame_alloc());
        packet.reset(av_packet_alloc());
        if (!sound || !packet)
            return fail("out of memory");
        return true;
    }

    // Encodes the audio up to frame `end`: whole encoder frames only, unless last, when the
    // short remainder goes too.
    bool writeAudioUpTo(std::int64_t end, bool last)
    {
        end = std::min(end, setup.audio.frames);
        while (audioDone < end) {
            const std::int64_t count = std::min<std::int64_t>(chunkFrames, end - audioDone);
            if (count < chunkFrames && !last)
                break;
            av_frame_unref(sound.get());
            sound->format = audio->sample_fmt;
            sound->sample_rate = audio->sample_rate;
            sound->nb_samples = static_cast<int>(count);
            if (av_channel_layout_copy(&sound->ch_layout, &audio->ch_layout) < 0 ||
                av_frame_get_buffer(sound.get(), 0) < 0)
                return fail("out of memory");
            pending.resize(static_cast<std::size_t>(count * setup.audio.channels()));
            setup.audio.read(audioDone, count, pending.data());
            const auto* input = reinterpret_cast<const uint8_t*>(pending.data());
            const int converted = swr_convert(resampler.get(), sound->data, sound->nb_samples,
                                              &input, sound->nb_samples);
            if (converted != sound->nb_samples)
                return fail("cannot convert the music to the audio encoder's format");
            sound->pts = audioDone;
            if (!encode(audio.get(), audioStream, sound.get()))
                return false;
            audioDone += count;
        }
        return true;
    }

    // Sends one frame (null to drain) and writes every packet the encoder gives back.
    bool encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame)
    {
        int result = avcodec_send_frame(codec, frame);
        if (result < 0)
            return fail("cannot encode: " + avError(result));
        for (;;) {
            result = avcodec_receive_packet(codec, packet.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return true;
            if (result < 0)
                return fail("cannot encode: " + avError(result));
            av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            result = av_interleaved_write_frame(format.get(), packet.get());
            if (result < 0)
                return fail("cannot write " + outputPath + ": " + avError(result));
        }
    }

    SinkSetup setup;
    OutputKind kind;
    std::string outputPath;
    FormatPtr format;
    CodecPtr video;
    CodecPtr audio;
    AVStream* videoStream = nullptr; // owned by format
    AVStream* audioStream = nullptr;
    FramePtr picture;
    FramePtr sound;
    PacketPtr packet;
    ScalePtr scaler;
    ResamplePtr resampler;
    int chunkFrames = anyFrameSizeChunk;
    std::vector<float> pending; // the samples of one encoder frame
    std::int64_t audioDone = 0;
};

} // namespace

std::unique_ptr<FrameSink> openVideoSink(const std::string& path, OutputKind kind, SinkSetup setup,
                                         std::string& error)
{
    if (kind == OutputKind::Mp4 && (setup.width % 2 != 0 || setup.height % 2 != 0)) {
        error = "an .mp4 needs an even width and height";
        return nullptr;
    }
    auto sink = std::make_unique<VideoSink>(std::move(setup), kind);
    if (!sink->open(path)) {
        error = sink->error();
        return nullptr;
    }
    return sink;
}
