#pragma once

// The converted file's container as the encoders see it: where each
// encoded packet goes, in its stream's time base.

#include "media/MediaProblem.h"
#include "media/codecs/Libav.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace media {

class TMuxer {
public:
    explicit TMuxer(AVFormatContext& output) : FOutput(output) {}

    AVFormatContext& Output() const { return FOutput; }

    // A new stream of the container; throws when memory is out.
    AVStream& AddStream()
    {
        AVStream* stream = avformat_new_stream(&FOutput, nullptr);
        if (stream == nullptr)
            throw TMediaProblem("out of memory");
        return *stream;
    }

    // Hands `packet` (stamped in `encoderBase`) to the container for
    // `stream`; the container takes its bytes. Throws when writing fails.
    void Write(AVPacket& packet, AVRational encoderBase, const AVStream& stream)
    {
        av_packet_rescale_ts(&packet, encoderBase, stream.time_base);
        packet.stream_index = stream.index;
        if (const int error = av_interleaved_write_frame(&FOutput, &packet); error < 0)
            throw TMediaProblem("the converted video cannot be written");
    }

    // Hands `frame` (nullptr: the end, which drains) to `encoder` and
    // writes every packet it gives back for `stream`, through `packet`.
    // `encoderName` names the encoder in a failure.
    void Encode(AVCodecContext& encoder, const AVFrame* frame, AVPacket& packet, const AVStream& stream,
                const char* encoderName)
    {
        const std::string failure = std::string("the ") + encoderName + " encoder fails";
        if (const int error = avcodec_send_frame(&encoder, frame); error < 0 && error != AVERROR_EOF)
            ThrowUnconvertible(failure, error);
        for (;;) {
            const int received = avcodec_receive_packet(&encoder, &packet);
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
                return;
            if (received < 0)
                ThrowUnconvertible(failure, received);
            Write(packet, encoder.time_base, stream);
        }
    }

private:
    AVFormatContext& FOutput;
};

} // namespace media
