#include "LibAv.h"

std::string encodeAndWrite(AVCodecContext* codec, AVStream* stream, AVFormatContext* format,
                           AVPacket* packet, AVFrame* frame, std::string_view target)
{
    int result = avcodec_send_frame(codec, frame);
    if (result < 0)
        return "cannot encode: " + avError(result);
    for (;;) {
        result = avcodec_receive_packet(codec, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return {};
        if (result < 0)
            return "cannot encode: " + avError(result);
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        result = av_interleaved_write_frame(format, packet);
        if (result < 0)
            return "cannot write " + std::string(target) + ": " + avError(result);
    }
}
