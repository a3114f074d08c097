#pragma once

// The picture half of a conversion: the source stream decoded, each
// picture fitted into 480 x 272 (never enlarged, black bars around it),
// the rate brought to at most 29.97 pictures a second by dropping
// pictures, and the result encoded by x264 for the handheld.

#include "media/codecs/Libav.h"
#include "media/codecs/Muxer.h"

namespace media {

class TVideoConversion {
public:
    // Adds the converted stream to `muxer`'s container and opens both
    // codecs. `origin` (seconds) is where the converted video starts.
    // Throws TMediaProblem (no H.264 encoder here, a codec that fails).
    TVideoConversion(const AVStream& source, const AVCodec& decoder, TMuxer& muxer, double origin);

    int SourceIndex() const { return FSourceIndex; }
    // One packet of the source stream; nullptr at the end, which drains
    // the decoder and the encoder.
    void Feed(const AVPacket* packet);

private:
    void Convert(const AVFrame& decoded);
    void Encode(const AVFrame* picture);

    int FSourceIndex;
    AVRational FSourceBase;
    double FOrigin;
    TMuxer& FMuxer;
    AVStream& FStream;
    TCodec FDecoder;
    TCodec FEncoder;
    TScaler FScaler;
    TFrame FDecoded = NewFrame();
    TFrame FPicture = NewFrame();
    TPacket FEncoded = NewPacket();
    // The converted rate, and the next picture slot at that rate: a
    // decoded picture whose slot is taken already is dropped.
    AVRational FRate{};
    std::int64_t FNextSlot = 0;
};

} // namespace media
