#pragma once

// The converted file's container as the encoders see it: where each
// encoded packet goes, in its stream's time base.

#include "media/MediaProblem.h"

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

private:
    AVFormatContext& FOutput;
};

} // namespace media
