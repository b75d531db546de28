#pragma once

// Owners for the FFmpeg objects demo-capture makes, FFmpeg's reason for an error code, frame
// rates as FFmpeg rationals, and the encoding step its video and audio streams share.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "timeline/FrameRate.h"

#include <memory>
#include <string>
#include <string_view>

struct FormatDeleter {
    void operator()(AVFormatContext* format) const
    {
        if (format->pb && format->oformat && !(format->oformat->flags & AVFMT_NOFILE))
            avio_closep(&format->pb);
        avformat_free_context(format);
    }
};
struct InputDeleter {
    void operator()(AVFormatContext* format) const { avformat_close_input(&format); }
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
struct ParametersDeleter {
    void operator()(AVCodecParameters* parameters) const { avcodec_parameters_free(&parameters); }
};
struct ScaleDeleter {
    void operator()(SwsContext* scale) const { sws_freeContext(scale); }
};
struct ResampleDeleter {
    void operator()(SwrContext* resample) const { swr_free(&resample); }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatDeleter>;
using InputPtr = std::unique_ptr<AVFormatContext, InputDeleter>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using ParametersPtr = std::unique_ptr<AVCodecParameters, ParametersDeleter>;
using ScalePtr = std::unique_ptr<SwsContext, ScaleDeleter>;
using ResamplePtr = std::unique_ptr<SwrContext, ResampleDeleter>;

// A frame's duration at rate, the time base of the frames' numbers.
inline AVRational frameTimeBase(FrameRate rate)
{
    return {static_cast<int>(rate.denominator), static_cast<int>(rate.numerator)};
}
inline AVRational framesPerSecond(FrameRate rate)
{
    return {static_cast<int>(rate.numerator), static_cast<int>(rate.denominator)};
}

inline std::string avError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Sends frame (null to drain) to codec and writes every packet it gives back into stream of
// format, through packet. Empty when all went well, else the reason, naming target when the
// writing failed.
std::string encodeAndWrite(AVCodecContext* codec, AVStream* stream, AVFormatContext* format,
                           AVPacket* packet, AVFrame* frame, std::string_view target);
