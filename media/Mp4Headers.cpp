#include "media/Mp4Headers.h"

#include "media/BoxHeader.h"
#include "media/CodecConfig.h"
#include "media/MediaProblem.h"
#include "platform/FileSystem.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace media {

namespace {

// A sample description bigger than this is not one a camera or encoder
// writes; reading it would be reading sample tables after all.
constexpr std::uint64_t kMaxSampleDescription = 256 * 1024;
// Boxes visited inside the movie box before the walk gives up on it.
constexpr int kMaxMovieBoxes = 4096;

// Reads bytes of one open file at given offsets, counting them.
class TVideoFile {
public:
    explicit TVideoFile(const std::string& path)
    {
        platform::OpenResult opened = platform::OpenRegularForReading(path);
        if (!opened.File.IsOpen())
            throw TMediaProblem("cannot be read: " + platform::ErrorText(opened.Error));
        FFile = std::move(opened.File);
        const auto status = platform::StatDescriptor(FFile.Get());
        if (!status)
            throw TMediaProblem("cannot be read: " + platform::ErrorText(errno));
        FSize = static_cast<std::uint64_t>(status->Size);
    }

    std::uint64_t Size() const { return FSize; }
    std::uint64_t BytesRead() const { return FBytesRead; }

    // The `count` bytes at `offset`, fewer where the file ends first.
    // Small reads come from a window of the file read ahead: box headers
    // and the small boxes between them lie close together, and one read
    // costs less than a dozen.
    std::vector<std::uint8_t> Read(std::uint64_t offset, std::uint64_t count)
    {
        if (offset >= FSize)
            return {};
        count = std::min(count, FSize - offset);
        if (count > kWindowSize)
            return ReadFromFile(offset, count);
        const bool inWindow = offset >= FWindowOffset && offset + count <= FWindowOffset + FWindow.size();
        if (!inWindow) {
            FWindow = ReadFromFile(offset, std::min<std::uint64_t>(kWindowSize, FSize - offset));
            FWindowOffset = offset;
        }
        const auto from = FWindow.begin() + static_cast<std::ptrdiff_t>(offset - FWindowOffset);
        const auto available = static_cast<std::uint64_t>(FWindow.end() - from);
        return {from, from + static_cast<std::ptrdiff_t>(std::min(count, available))};
    }

    TBoxHeader Header(std::uint64_t offset, std::uint64_t limit, std::string_view limitName)
    {
        return ParseBoxHeader(Read(offset, std::min<std::uint64_t>(kMaxBoxHeader, limit - offset)), offset, limit,
                              limitName);
    }

private:
    static constexpr std::uint64_t kWindowSize = 4096;

    std::vector<std::uint8_t> ReadFromFile(std::uint64_t offset, std::uint64_t count)
    {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t now = pread(FFile.Get(), bytes.data() + got, bytes.size() - got,
                                      static_cast<off_t>(offset + got));
            if (now < 0 && errno == EINTR)
                continue;
            if (now < 0)
                throw TMediaProblem("cannot be read: " + platform::ErrorText(errno));
            if (now == 0)
                break;
            got += static_cast<std::size_t>(now);
        }
        bytes.resize(got);
        FBytesRead += got;
        return bytes;
    }

    platform::FileDescriptor FFile;
    std::uint64_t FSize = 0;
    std::uint64_t FBytesRead = 0;
    std::vector<std::uint8_t> FWindow;
    std::uint64_t FWindowOffset = 0;
};

TContainer ContainerOf(TBytes start)
{
    constexpr std::array isoTopLevel = {FourCC("ftyp"), FourCC("moov"), FourCC("mdat"), FourCC("free"),
                                        FourCC("skip"), FourCC("wide"), FourCC("uuid"), FourCC("pnot")};
    if (start.size() >= 4 && start[0] == 0x1A && start[1] == 0x45 && start[2] == 0xDF && start[3] == 0xA3)
        return TContainer::Matroska;
    if (start.size() >= 12 && std::memcmp(start.data(), "RIFF", 4) == 0 && std::memcmp(start.data() + 8, "AVI ", 4) == 0)
        return TContainer::Avi;
    if (start.size() >= 1 && start[0] == 0x47)
        return TContainer::MpegTransport;
    if (start.size() >= 8) {
        TByteCursor cursor(start.subspan(4, 4));
        const std::uint32_t type = cursor.U32();
        for (const std::uint32_t listed : isoTopLevel) {
            if (listed == type)
                return TContainer::Mp4;
        }
    }
    return TContainer::Unknown;
}

// What a track's headers hold before they become a TVideoTrack or
// TAudioTrack.
struct TTrackParts {
    std::uint32_t Handler = 0;
    std::uint32_t Timescale = 0;
    std::uint64_t Duration = 0;
    std::uint64_t SampleCount = 0;
    std::vector<std::uint8_t> SampleDescription;
};

void ReadMediaHeader(TBytes payload, TTrackParts& parts)
{
    TByteCursor cursor(payload);
    const std::uint32_t version = cursor.U8();
    cursor.Skip(3);
    cursor.Skip(version == 1 ? 16 : 8); // creation and modification times
    parts.Timescale = cursor.U32();
    parts.Duration = version == 1 ? cursor.U64() : cursor.U32();
}

// The codec configuration boxes that follow a sample entry's fixed
// fields (QuickTime puts an audio entry's inside a 'wave' box).
void ReadVideoConfigs(TBytes boxes, TVideoTrack& video)
{
    ForEachBox(boxes, [&video](std::uint32_t type, TBytes payload) {
        if (type == FourCC("avcC")) {
            ReadAvcConfig(payload, video);
        } else if (type == FourCC("esds")) {
            const TEsConfig config = ReadEsConfig(payload);
            video.ObjectType = config.ObjectType;
            video.AverageBitRate = config.AverageBitRate;
            video.Profile = Mpeg4VisualType(config.DecoderSpecific);
        }
    });
}

void ReadAudioConfigs(TBytes boxes, TAudioTrack& audio)
{
    ForEachBox(boxes, [&audio](std::uint32_t type, TBytes payload) {
        if (type == FourCC("wave")) {
            ReadAudioConfigs(payload, audio);
        } else if (type == FourCC("esds")) {
            const TEsConfig config = ReadEsConfig(payload);
            audio.ObjectType = config.ObjectType;
            if (!config.DecoderSpecific.empty())
                ReadAacConfig(config.DecoderSpecific, audio);
        }
    });
}

// The first entry of an 'stsd' payload: its type and bytes, header on.
TBytes FirstSampleEntry(TBytes description, std::uint32_t& type)
{
    TByteCursor cursor(description);
    cursor.U32(); // version and flags
    if (cursor.U32() == 0)
        ThrowDamaged("a track has no sample description");
    const TBytes rest = cursor.Rest();
    const TBoxHeader entry = ParseBoxHeader(rest, 0, rest.size(), "its sample description");
    type = entry.Type;
    return rest.subspan(0, entry.Size);
}

TVideoTrack VideoTrackOf(const TTrackParts& parts)
{
    TVideoTrack video;
    const TBytes entry = FirstSampleEntry(parts.SampleDescription, video.SampleEntry);
    TByteCursor cursor(entry);
    cursor.Skip(32); // header, reserved, data reference, pre-defined
    video.Width = static_cast<int>(cursor.U16());
    video.Height = static_cast<int>(cursor.U16());
    cursor.Skip(50); // resolutions, frame count, compressor name, depth
    ReadVideoConfigs(cursor.Rest(), video);
    if (video.SampleEntry == FourCC("avc1") || video.SampleEntry == FourCC("avc3"))
        video.Codec = TVideoCodec::H264;
    else if (video.SampleEntry == FourCC("mp4v") && video.ObjectType == 0x20)
        video.Codec = TVideoCodec::Mpeg4Visual;
    if (parts.Duration > 0 && parts.Timescale > 0)
        video.FrameRate = static_cast<double>(parts.SampleCount) * parts.Timescale / static_cast<double>(parts.Duration);
    return video;
}

TAudioTrack AudioTrackOf(const TTrackParts& parts)
{
    TAudioTrack audio;
    const TBytes entry = FirstSampleEntry(parts.SampleDescription, audio.SampleEntry);
    TByteCursor cursor(entry);
    cursor.Skip(16); // header, reserved, data reference
    const std::uint32_t version = cursor.U16();
    cursor.Skip(6); // revision, vendor
    audio.Channels = static_cast<int>(cursor.U16());
    cursor.Skip(6); // sample size, compression id, packet size
    audio.SampleRate = static_cast<int>(cursor.U32() >> 16);
    if (version == 1) {
        cursor.Skip(16);
    } else if (version == 2) {
        cursor.Skip(4);
        const std::uint64_t rateBits = cursor.U64();
        double rate = 0;
        std::memcpy(&rate, &rateBits, sizeof rate);
        audio.SampleRate = static_cast<int>(rate);
        audio.Channels = static_cast<int>(cursor.U32());
        cursor.Skip(20);
    }
    ReadAudioConfigs(cursor.Rest(), audio);
    if (audio.SampleEntry == FourCC("mp4a") && (audio.ObjectType == 0x40 || (audio.ObjectType >= 0x66 && audio.ObjectType <= 0x68)))
        audio.Codec = TAudioCodec::Aac;
    return audio;
}

// Walks the movie box by box headers, reading only the few leaves a
// track's facts live in.
class TMovieWalk {
public:
    TMovieWalk(TVideoFile& file, TMovieHeaders& headers) : FFile(file), FHeaders(headers) {}

    void Movie(const TBoxHeader& movie)
    {
        Children(movie, [this](const TBoxHeader& child) {
            if (child.Type == FourCC("trak"))
                Track(child);
            else if (child.Type == FourCC("mvex"))
                FHeaders.Fragmented = true;
        });
    }

private:
    template <class Visit> void Children(const TBoxHeader& parent, Visit visit)
    {
        std::uint64_t at = parent.PayloadOffset();
        while (parent.End() - at >= 8) {
            if (++FBoxes > kMaxMovieBoxes)
                ThrowDamaged("the movie box holds too many boxes");
            const TBoxHeader child = FFile.Header(at, parent.End(), "its parent box");
            visit(child);
            at = child.End();
        }
    }

    std::vector<std::uint8_t> Payload(const TBoxHeader& box, std::uint64_t most)
    {
        return FFile.Read(box.PayloadOffset(), std::min(box.PayloadSize(), most));
    }

    void Track(const TBoxHeader& track)
    {
        TTrackParts parts;
        Children(track, [&](const TBoxHeader& child) {
            if (child.Type == FourCC("mdia"))
                Media(child, parts);
        });
        if (parts.SampleDescription.empty())
            return;
        if (parts.Handler == FourCC("vide") && !FHeaders.Video)
            FHeaders.Video = VideoTrackOf(parts);
        else if (parts.Handler == FourCC("soun") && !FHeaders.Audio)
            FHeaders.Audio = AudioTrackOf(parts);
    }

    void Media(const TBoxHeader& media, TTrackParts& parts)
    {
        Children(media, [&](const TBoxHeader& child) {
            if (child.Type == FourCC("mdhd")) {
                ReadMediaHeader(Payload(child, 32), parts);
            } else if (child.Type == FourCC("hdlr")) {
                const std::vector<std::uint8_t> payload = Payload(child, 12);
                TByteCursor cursor(payload);
                cursor.Skip(8);
                parts.Handler = cursor.U32();
            } else if (child.Type == FourCC("minf")) {
                Children(child, [&](const TBoxHeader& info) {
                    if (info.Type == FourCC("stbl"))
                        SampleTable(info, parts);
                });
            }
        });
    }

    void SampleTable(const TBoxHeader& table, TTrackParts& parts)
    {
        Children(table, [&](const TBoxHeader& child) {
            if (child.Type == FourCC("stsd")) {
                if (child.PayloadSize() > kMaxSampleDescription)
                    ThrowDamaged("a sample description is too large");
                parts.SampleDescription = Payload(child, kMaxSampleDescription);
            } else if (child.Type == FourCC("stsz") || child.Type == FourCC("stz2")) {
                // Version, flags and the sample size or field size come
                // before the count; the table itself is not read.
                const std::vector<std::uint8_t> payload = Payload(child, 12);
                TByteCursor cursor(payload);
                cursor.Skip(8);
                parts.SampleCount = cursor.U32();
            }
        });
    }

    TVideoFile& FFile;
    TMovieHeaders& FHeaders;
    int FBoxes = 0;
};

} // namespace

std::string FourCCText(std::uint32_t code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto byte = static_cast<char>((code >> shift) & 0xFF);
        text += byte >= 0x20 && byte < 0x7F ? byte : '?';
    }
    return text;
}

TMovieHeaders ReadMovieHeaders(const std::string& path)
{
    TVideoFile file(path);
    TMovieHeaders headers;
    if (file.Size() == 0)
        throw TMediaProblem("file is empty");
    headers.Container = ContainerOf(file.Read(0, 12));
    if (headers.Container != TContainer::Mp4) {
        headers.BytesRead = file.BytesRead();
        return headers;
    }
    bool movieSeen = false;
    std::uint64_t at = 0;
    while (!movieSeen && file.Size() - at >= 8) {
        const TBoxHeader box = file.Header(at, file.Size(), "the file");
        if (box.Type == FourCC("moov")) {
            TMovieWalk(file, headers).Movie(box);
            movieSeen = true;
        }
        at = box.End();
    }
    if (!movieSeen)
        ThrowDamaged("it has no movie box");
    headers.BytesRead = file.BytesRead();
    return headers;
}

} // namespace media
