#pragma once

// What the headers of a video file say about its first picture track and
// its first sound track, read the way a title read is: top-level boxes
// by seeking, inside the movie box only the box headers on the way to
// each track's sample description, never the sample tables themselves
// (megabytes on a movie) and never the media data. A two-hour video
// costs a few kilobytes read.

#include <cstdint>
#include <optional>
#include <string>

namespace media {

// What the first bytes of the file say it is.
enum class TContainer { Mp4, Matroska, Avi, MpegTransport, Unknown };

enum class TVideoCodec { H264, Mpeg4Visual, Other };
enum class TAudioCodec { Aac, Other };

struct TVideoTrack {
    TVideoCodec Codec = TVideoCodec::Other;
    // The sample entry's type ("avc1", "hvc1", "mp4v"...) and, for
    // MPEG-4 entries, the decoder configuration's object type.
    std::uint32_t SampleEntry = 0;
    std::uint32_t ObjectType = 0;
    int Width = 0;
    int Height = 0;
    // Pictures per second over the whole track; 0 when the headers do
    // not tell (no duration).
    double FrameRate = 0;
    // H.264: profile_idc and level_idc. MPEG-4 Part 2: the visual
    // object type of the stream's headers (1 Simple, 17 Advanced Simple),
    // 0 when they do not say.
    int Profile = 0;
    int Level = 0;
    bool Interlaced = false;
    // Bits per second as the decoder configuration states it; 0 unknown.
    std::uint32_t AverageBitRate = 0;
};

struct TAudioTrack {
    TAudioCodec Codec = TAudioCodec::Other;
    std::uint32_t SampleEntry = 0;
    std::uint32_t ObjectType = 0;
    // AAC's audio object type (2 is LC, 5 HE-AAC, 29 HE-AAC v2); 0 unknown.
    int AacObjectType = 0;
    int SampleRate = 0;
    int Channels = 0;
};

struct TMovieHeaders {
    TContainer Container = TContainer::Unknown;
    // The movie box announces fragments: its samples live in movie
    // fragments spread over the file.
    bool Fragmented = false;
    std::optional<TVideoTrack> Video;
    std::optional<TAudioTrack> Audio;
    // The bytes read to learn all this.
    std::uint64_t BytesRead = 0;
};

// Reads the headers of the file at `path`. A file that is not MP4 comes
// back with its container and no tracks. Throws TMediaProblem when the
// file cannot be read or its boxes are damaged.
TMovieHeaders ReadMovieHeaders(const std::string& path);

// A four-character code as text ("avc1").
std::string FourCCText(std::uint32_t code);

} // namespace media
