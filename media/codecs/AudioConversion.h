#pragma once

// The sound half of a conversion: the source stream decoded, resampled
// to 48 kHz stereo, cut into the encoder's frames and encoded as AAC-LC.

#include "media/codecs/Libav.h"
#include "media/codecs/Muxer.h"

#include <memory>

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

namespace media {

struct ResamplerFreer {
    void operator()(SwrContext* resampler) const { swr_free(&resampler); }
};
struct FifoFreer {
    void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};

class TAudioConversion {
public:
    // Adds the converted stream to `muxer`'s container and opens both
    // codecs. Throws TMediaProblem.
    TAudioConversion(const AVStream& source, const AVCodec& decoder, TMuxer& muxer);

    int SourceIndex() const { return FSourceIndex; }
    // One packet of the source stream; nullptr at the end, which drains
    // the decoder, the resampler and the encoder.
    void Feed(const AVPacket* packet);

private:
    void Resample(const AVFrame* decoded);
    // Encodes whole frames from the queue; with `all`, the rest too.
    void EncodeQueued(bool all);
    void Encode(const AVFrame* frame);

    int FSourceIndex;
    TMuxer& FMuxer;
    AVStream& FStream;
    TCodec FDecoder;
    TCodec FEncoder;
    std::unique_ptr<SwrContext, ResamplerFreer> FResampler;
    std::unique_ptr<AVAudioFifo, FifoFreer> FQueue;
    TFrame FDecoded = NewFrame();
    TFrame FFrame = NewFrame();
    TPacket FEncoded = NewPacket();
    std::int64_t FSamplesOut = 0;
};

} // namespace media
