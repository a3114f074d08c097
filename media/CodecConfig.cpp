#include "media/CodecConfig.h"

#include "media/MediaProblem.h"

#include <array>
#include <vector>

namespace media {

namespace {

// H.264 profiles whose parameter sets carry the chroma format and bit
// depths (High and above).
bool HasChromaFields(std::uint32_t profile)
{
    constexpr std::array profiles = {100U, 110U, 122U, 244U, 44U, 83U, 86U, 118U, 128U, 138U, 139U, 134U, 135U};
    for (const std::uint32_t listed : profiles) {
        if (listed == profile)
            return true;
    }
    return false;
}

// A NAL unit's payload with the emulation-prevention bytes (00 00 03)
// taken out, as the bit syntax is defined on it.
std::vector<std::uint8_t> RawPayload(TBytes unit)
{
    std::vector<std::uint8_t> raw;
    raw.reserve(unit.size());
    int zeros = 0;
    for (const std::uint8_t byte : unit) {
        if (zeros >= 2 && byte == 3) {
            zeros = 0;
            continue;
        }
        zeros = byte == 0 ? zeros + 1 : 0;
        raw.push_back(byte);
    }
    return raw;
}

// frame_mbs_only_flag of a sequence parameter set, cleared for an
// interlaced stream. Reads up to it; a set with scaling matrices, whose
// syntax we do not walk, counts as progressive.
bool CodesFramesOnly(TBytes sequenceParameterSet)
{
    const std::vector<std::uint8_t> raw = RawPayload(sequenceParameterSet);
    TBitReader bits(raw);
    bits.Bits(8); // NAL header
    const std::uint32_t profile = bits.Bits(8);
    bits.Bits(16); // constraint flags, level
    bits.Unsigned(); // seq_parameter_set_id
    if (HasChromaFields(profile)) {
        if (bits.Unsigned() == 3)
            bits.Flag();
        bits.Unsigned();
        bits.Unsigned();
        bits.Flag();
        if (bits.Flag())
            return true;
    }
    bits.Unsigned(); // log2_max_frame_num_minus4
    const std::uint32_t pictureOrderType = bits.Unsigned();
    if (pictureOrderType == 0) {
        bits.Unsigned();
    } else if (pictureOrderType == 1) {
        bits.Flag();
        bits.Signed();
        bits.Signed();
        const std::uint32_t cycle = bits.Unsigned();
        if (cycle > 255)
            ThrowDamaged("the H.264 parameter set holds an impossible cycle");
        for (std::uint32_t i = 0; i < cycle; ++i)
            bits.Signed();
    }
    bits.Unsigned(); // max_num_ref_frames
    bits.Flag();
    bits.Unsigned(); // width in macroblocks
    bits.Unsigned(); // height in map units
    return bits.Flag();
}

// One descriptor of an esds: its tag and body.
struct TDescriptor {
    std::uint32_t Tag = 0;
    TBytes Body;
};

TDescriptor ReadDescriptor(TByteCursor& cursor)
{
    TDescriptor descriptor;
    descriptor.Tag = cursor.U8();
    std::size_t size = 0;
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t byte = cursor.U8();
        size = (size << 7) | (byte & 0x7F);
        if ((byte & 0x80) == 0)
            break;
    }
    descriptor.Body = cursor.Take(size);
    return descriptor;
}

constexpr std::uint32_t kEsTag = 3;
constexpr std::uint32_t kDecoderConfigTag = 4;
constexpr std::uint32_t kDecoderSpecificTag = 5;

} // namespace

void ReadAvcConfig(TBytes avcC, TVideoTrack& track)
{
    TByteCursor cursor(avcC);
    cursor.U8(); // configurationVersion
    track.Profile = static_cast<int>(cursor.U8());
    cursor.U8();
    track.Level = static_cast<int>(cursor.U8());
    cursor.U8(); // NAL length size
    if ((cursor.U8() & 0x1F) == 0)
        return;
    track.Interlaced = !CodesFramesOnly(cursor.Take(cursor.U16()));
}

TEsConfig ReadEsConfig(TBytes esds)
{
    TByteCursor box(esds);
    box.U32(); // version and flags
    TEsConfig config;
    const TDescriptor es = ReadDescriptor(box);
    if (es.Tag != kEsTag)
        ThrowDamaged("the stream descriptor is not one");
    TByteCursor cursor(es.Body);
    cursor.U16(); // ES_ID
    const std::uint32_t flags = cursor.U8();
    if ((flags & 0x80) != 0)
        cursor.U16();
    if ((flags & 0x40) != 0)
        cursor.Skip(cursor.U8());
    if ((flags & 0x20) != 0)
        cursor.U16();
    while (cursor.Left() > 0) {
        const TDescriptor inner = ReadDescriptor(cursor);
        if (inner.Tag != kDecoderConfigTag)
            continue;
        TByteCursor decoder(inner.Body);
        config.ObjectType = decoder.U8();
        decoder.Skip(4); // stream type, buffer size
        decoder.U32();   // maximum rate
        config.AverageBitRate = decoder.U32();
        while (decoder.Left() > 0) {
            const TDescriptor specific = ReadDescriptor(decoder);
            if (specific.Tag == kDecoderSpecificTag)
                config.DecoderSpecific = specific.Body;
        }
        break;
    }
    return config;
}

void ReadAacConfig(TBytes config, TAudioTrack& track)
{
    constexpr std::array<int, 13> rates = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                           22050, 16000, 12000, 11025, 8000,  7350};
    TBitReader bits(config);
    std::uint32_t objectType = bits.Bits(5);
    if (objectType == 31)
        objectType = 32 + bits.Bits(6);
    track.AacObjectType = static_cast<int>(objectType);
    const std::uint32_t rateIndex = bits.Bits(4);
    if (rateIndex == 15)
        track.SampleRate = static_cast<int>(bits.Bits(24));
    else if (rateIndex < rates.size())
        track.SampleRate = rates[rateIndex];
    if (const std::uint32_t channels = bits.Bits(4); channels != 0)
        track.Channels = channels == 7 ? 8 : static_cast<int>(channels);
}

int Mpeg4VisualType(TBytes headers)
{
    constexpr int simple = 1;
    constexpr int advancedSimple = 17;
    int layerType = 0;
    for (std::size_t at = 0; at + 5 <= headers.size(); ++at) {
        if (headers[at] != 0 || headers[at + 1] != 0 || headers[at + 2] != 1)
            continue;
        const std::uint8_t code = headers[at + 3];
        const std::uint8_t next = headers[at + 4];
        if (code == 0xB0) {
            // profile_and_level_indication: Simple 0x01-0x08, Advanced
            // Simple 0xF0-0xF7; others are profiles of their own.
            if (next >= 0x01 && next <= 0x08)
                return simple;
            if (next >= 0xF0 && next <= 0xF7)
                return advancedSimple;
            return 0x100 | next;
        }
        if (code >= 0x20 && code <= 0x2F && layerType == 0 && at + 6 <= headers.size()) {
            // random_accessible_vol (1 bit), video_object_type_indication (8).
            layerType = ((next & 0x7F) << 1) | (headers[at + 5] >> 7);
        }
    }
    return layerType;
}

} // namespace media
