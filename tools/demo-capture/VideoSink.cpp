#include "FrameSink.h"

#include "AudioEncoder.h"
#include "LibAv.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <algorithm>

namespace {

// Encoding costs a tenth of the render of a frame, so a capture keeps near the render rate on
// two cores; the constant rate factor alone sets the quality (at some cost in file size).
constexpr const char* h264Preset = "superfast";
// Seconds between key frames, so a player can seek.
constexpr int keyFrameSeconds = 2;
// FFV1's version 3 codes slices in parallel and checks each with a CRC.
constexpr int ffv1Level = 3;

// H.264 in yuv420p plays everywhere; FFV1 keeps the RGB exactly, packed with a padding byte.
struct Codecs {
    const AVCodec* video;
    AVPixelFormat pixels;
};

Codecs codecsFor(OutputKind kind)
{
    if (kind == OutputKind::Mp4) {
        const AVCodec* h264 = avcodec_find_encoder_by_name("libx264");
        return {h264 ? h264 : avcodec_find_encoder(AV_CODEC_ID_H264), AV_PIX_FMT_YUV420P};
    }
    return {avcodec_find_encoder(AV_CODEC_ID_FFV1), AV_PIX_FMT_0RGB32};
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
        if (!packet)
            return fail("out of memory");
        const Codecs codecs = codecsFor(kind);
        if (!codecs.video)
            return fail("the FFmpeg libraries here lack the video encoder for " + path);
        if (!openVideo(codecs))
            return false;
        // A part of a capture carries no sound: the join encodes the whole span's at once.
        if (setup.withAudio && !audio.open(format.get(), kind, setup.audio))
            return fail(audio.error());
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
        if (!encode(picture.get()))
            return false;
        return writeAudioUpTo(audioFramesFor(index + 1, setup.rate, setup.audio.sampleRate()),
                              false);
    }

    bool finish(std::int64_t frames, bool complete) override
    {
        const std::int64_t audioEnd =
            complete ? setup.audio.frames
                     : audioFramesFor(frames, setup.rate, setup.audio.sampleRate());
        if (!writeAudioUpTo(audioEnd, true) || !encode(nullptr))
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
        video->time_base = frameTimeBase(setup.rate);
        video->framerate = framesPerSecond(setup.rate);
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

    bool writeAudioUpTo(std::int64_t end, bool last)
    {
        return !setup.withAudio || audio.writeUpTo(end, last) || fail(audio.error());
    }

    // Sends one frame (null to drain) and writes every packet the encoder gives back.
    bool encode(AVFrame* frame)
    {
        const std::string failure =
            encodeAndWrite(video.get(), videoStream, format.get(), packet.get(), frame, outputPath);
        return failure.empty() || fail(failure);
    }

    SinkSetup setup;
    OutputKind kind;
    std::string outputPath;
    FormatPtr format;
    CodecPtr video;
    AVStream* videoStream = nullptr; // owned by format
    AudioEncoder audio;
    FramePtr picture;
    PacketPtr packet{av_packet_alloc()};
    ScalePtr scaler;
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
