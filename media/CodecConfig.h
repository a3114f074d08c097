#pragma once

// The codec configurations a sample description carries: H.264's avcC
// with its sequence parameter set, MPEG-4's elementary stream descriptor
// (esds) with AAC's AudioSpecificConfig or the MPEG-4 visual headers.

#include "media/ByteCursor.h"
#include "media/Mp4Headers.h"

namespace media {

// Profile, level and interlacing from an avcC payload.
void ReadAvcConfig(TBytes avcC, TVideoTrack& track);

struct TEsConfig {
    std::uint32_t ObjectType = 0;   // 0x20 MPEG-4 visual, 0x40 AAC, 0x6B MP3, ...
    std::uint32_t AverageBitRate = 0;
    TBytes DecoderSpecific;         // empty when absent
};

// The decoder configuration of an esds payload (version and flags first).
TEsConfig ReadEsConfig(TBytes esds);

// AAC's object type, sample rate and channels from an AudioSpecificConfig.
// Fields it leaves unset (channel configuration 0) keep their values.
void ReadAacConfig(TBytes config, TAudioTrack& track);

// The visual object type of MPEG-4 Part 2 headers: the profile of the
// sequence header when there is one, else the object layer's own type;
// 1 Simple, 17 Advanced Simple, 256 + the profile indication for the
// other profiles of a sequence header, 0 when neither header is present.
int Mpeg4VisualType(TBytes headers);

} // namespace media
