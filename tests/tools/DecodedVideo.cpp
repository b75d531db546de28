#include "DecodedVideo.h"

#include "LibAv.h"

extern "C" {
#include <libavutil/channel_layout.h>
}
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

CodecPtr openDecoder(const AVStream& stream)
{
    const AVCodec* decoder = avcodec_find_decoder(stream.codecpar->codec_id);
    CodecPtr codec(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), stream.codecpar) < 0 ||
        avcodec_open2(codec.get(), decoder, nullptr) < 0)
        return nullptr;
    codec->pkt_timebase = stream.time_base;
    return codec;
}

void keepPicture(DecodedVideo& video, const AVFrame& frame, double timeBase)
{
    video.width = frame.width;
    video.height = frame.height;
    const ScalePtr scale(sws_getContext(
        frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), frame.width,
        frame.height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr));
    DecodedVideo::Picture picture;
    picture.seconds = static_cast<double>(frame.best_effort_timestamp) * timeBase;
    picture.rgb.resize(static_cast<std::size_t>(frame.width * frame.height * 3));
    uint8_t* rows[1] = {picture.rgb.data()};
    const int strides[1] = {frame.width * 3};
    sws_scale(scale.get(), frame.data, frame.linesize, 0, frame.height, rows, strides);
    video.pictures.push_back(std::move(picture));
}

void keepSound(DecodedVideo& video, AVFrame& frame)
{
    video.sampleRate = frame.sample_rate;
    video.channels = frame.ch_layout.nb_channels;
    SwrContext* made = nullptr;
    swr_alloc_set_opts2(&made, &frame.ch_layout, AV_SAMPLE_FMT_FLT, frame.sample_rate,
                        &frame.ch_layout, static_cast<AVSampleFormat>(frame.format),
                        frame.sample_rate, 0, nullptr);
    const ResamplePtr convert(made);
    swr_init(convert.get());
    const std::size_t at = video.samples.size();
    video.samples.resize(at + static_cast<std::size_t>(frame.nb_samples * video.channels));
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(video.samples.data() + at)};
    swr_convert(convert.get(), out, frame.nb_samples,
                const_cast<const uint8_t**>(frame.extended_data), frame.nb_samples);
}

} // namespace

DecodedVideo decodeVideo(const std::string& path)
{
    DecodedVideo video;
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) {
        ADD_FAILURE() << "cannot open " << path;
        return video;
    }
    const InputPtr format(opened);
    avformat_find_stream_info(format.get(), nullptr);
    std::vector<CodecPtr> decoders;
    for (unsigned i = 0; i < format->nb_streams; ++i)
        decoders.push_back(openDecoder(*format->streams[i]));
    const PacketPtr packet(av_packet_alloc());
    const FramePtr frame(av_frame_alloc());
    const auto drain = [&](unsigned index) {
        AVCodecContext* codec = decoders[index].get();
        while (avcodec_receive_frame(codec, frame.get()) >= 0) {
            if (codec->codec_type == AVMEDIA_TYPE_VIDEO)
                keepPicture(video, *frame, av_q2d(format->streams[index]->time_base));
            else
                keepSound(video, *frame);
        }
    };
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        const auto index = static_cast<unsigned>(packet->stream_index);
        if (decoders[index] && avcodec_send_packet(decoders[index].get(), packet.get()) >= 0)
            drain(index);
        av_packet_unref(packet.get());
    }
    for (unsigned i = 0; i < decoders.size(); ++i)
        if (decoders[i] && avcodec_send_packet(decoders[i].get(), nullptr) >= 0)
            drain(i);
    std::stable_sort(video.pictures.begin(), video.pictures.end(),
                     [](const auto& a, const auto& b) { return a.seconds < b.seconds; });
    return video;
}

double psnr(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    if (a.size() != b.size() || a.empty())
        return 0.0;
    double squares = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double d = static_cast<double>(a[i]) - static_cast<double>(b[i]);
        squares += d * d;
    }
    if (squares == 0.0)
        return std::numeric_limits<double>::infinity();
    const double mean = squares / static_cast<double>(a.size());
    return 10.0 * std::log10(255.0 * 255.0 / mean);
}
