#include "media/Playability.h"

#include "media/BoxHeader.h"
#include "media/HandheldTarget.h"
#include "media/MediaProblem.h"

#include <cmath>
#include <cstdio>
#include <exception>

namespace media {

namespace {

// H.264 profile_idc values and their names.
constexpr int kBaseline = 66;
constexpr int kMain = 77;
// The highest level the handheld decodes (level_idc 30 is level 3.0).
constexpr int kMaxLevel = 30;
// MPEG-4 Part 2 visual object types.
constexpr int kSimple = 1;
constexpr int kAdvancedSimple = 17;
constexpr std::uint32_t kMaxMpeg4BitRate = 768'000;

constexpr int kMaxWidth = 480;
constexpr int kMaxHeight = 272;
constexpr double kMaxFrameRate = 30.0;
constexpr double kMaxDvdFrameRate = 30000.0 / 1001.0;

const char* H264ProfileName(int profile)
{
    switch (profile) {
    case kBaseline: return "Baseline";
    case kMain: return "Main";
    case 88: return "Extended";
    case 100: return "High";
    case 110: return "High 10";
    case 122: return "High 4:2:2";
    case 244: return "High 4:4:4";
    default: return nullptr;
    }
}

std::string VideoCodecName(const TVideoTrack& video)
{
    const std::uint32_t entry = video.SampleEntry;
    if (entry == FourCC("hvc1") || entry == FourCC("hev1"))
        return "HEVC";
    if (entry == FourCC("vp09"))
        return "VP9";
    if (entry == FourCC("vp08"))
        return "VP8";
    if (entry == FourCC("av01"))
        return "AV1";
    if (entry == FourCC("s263") || entry == FourCC("h263"))
        return "H.263";
    if (entry == FourCC("jpeg") || entry == FourCC("mjpa") || entry == FourCC("mjpb"))
        return "Motion JPEG";
    if (entry == FourCC("mp4v")) {
        if (video.ObjectType >= 0x60 && video.ObjectType <= 0x65)
            return "MPEG-2";
        if (video.ObjectType == 0x6A)
            return "MPEG-1";
        if (video.ObjectType == 0x6C)
            return "Motion JPEG";
    }
    return "'" + FourCCText(entry) + "'";
}

std::string AudioCodecName(const TAudioTrack& audio)
{
    const std::uint32_t entry = audio.SampleEntry;
    if (entry == FourCC("ac-3"))
        return "AC-3";
    if (entry == FourCC("ec-3"))
        return "E-AC-3";
    if (entry == FourCC("Opus"))
        return "Opus";
    if (entry == FourCC("fLaC"))
        return "FLAC";
    if (entry == FourCC("alac"))
        return "ALAC";
    if (entry == FourCC("sowt") || entry == FourCC("twos") || entry == FourCC("lpcm") || entry == FourCC("ipcm"))
        return "uncompressed PCM";
    if (entry == FourCC(".mp3"))
        return "MP3";
    if (entry == FourCC("mp4a")) {
        switch (audio.ObjectType) {
        case 0x69:
        case 0x6B: return "MP3";
        case 0xA5: return "AC-3";
        case 0xA6: return "E-AC-3";
        case 0xA9: return "DTS";
        case 0xAD: return "Opus";
        case 0xDD: return "Vorbis";
        default: break;
        }
    }
    return "'" + FourCCText(entry) + "'";
}

std::string AacName(int objectType)
{
    switch (objectType) {
    case 1: return "AAC Main";
    case 3: return "AAC SSR";
    case 4: return "AAC LTP";
    case 5: return "HE-AAC";
    case 29: return "HE-AAC v2";
    case 39: return "AAC ELD";
    default: return "AAC of object type " + std::to_string(objectType);
    }
}

std::string RateText(double rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", rate);
    return text;
}

std::string SizeText(int width, int height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

bool FitsScreen(const TVideoTrack& video)
{
    return video.Width <= kMaxWidth && video.Height <= kMaxHeight;
}

// 720 x 480 and 352 x 480, which the handheld takes in H.264 Main up to
// level 3.0 only.
bool IsDvdPicture(const TVideoTrack& video)
{
    return (video.Width == 720 || video.Width == 352) && video.Height == 480;
}

void JudgeH264(const TVideoTrack& video, std::vector<std::string>& reasons)
{
    const char* profile = H264ProfileName(video.Profile);
    if (video.Profile != kBaseline && video.Profile != kMain) {
        reasons.push_back(std::string("video is H.264 ") +
                          (profile != nullptr ? std::string(profile) : "profile " + std::to_string(video.Profile)) +
                          (profile != nullptr ? " profile" : "") + "; the handheld plays Baseline and Main");
    }
    if (video.Level > kMaxLevel) {
        reasons.push_back("video is H.264 level " + std::to_string(video.Level / 10) + "." +
                          std::to_string(video.Level % 10) + "; the handheld plays up to level 3.0");
    }
    const bool dvd = IsDvdPicture(video) && video.Profile == kMain && video.Level <= kMaxLevel;
    if (!FitsScreen(video) && !dvd) {
        reasons.push_back("picture is " + SizeText(video.Width, video.Height) +
                          "; the handheld shows at most 480 x 272 (720 x 480 for H.264 Main up to level 3.0)");
    }
    const bool dvdWidth = dvd && video.Width == 720;
    if (video.FrameRate > (dvdWidth ? kMaxDvdFrameRate : kMaxFrameRate) + kFrameRateSlack) {
        reasons.push_back("frame rate is " + RateText(video.FrameRate) + " frames per second; the handheld plays " +
                          (dvdWidth ? "720 x 480 at most at 29.97" : "at most 30 (29.97 at 720 x 480)"));
    }
    if (video.Interlaced)
        reasons.emplace_back("video is interlaced; the handheld plays progressive video");
}

void JudgeMpeg4(const TVideoTrack& video, std::vector<std::string>& reasons)
{
    if (video.Profile == kAdvancedSimple) {
        reasons.emplace_back("video is MPEG-4 Advanced Simple Profile; the handheld plays Simple Profile");
    } else if (video.Profile != kSimple && video.Profile != 0) {
        reasons.emplace_back("video is MPEG-4 of another profile than Simple; the handheld plays Simple Profile");
    }
    if (!FitsScreen(video)) {
        reasons.push_back("picture is " + SizeText(video.Width, video.Height) +
                          "; the handheld shows MPEG-4 at most 480 x 272");
    }
    if (video.FrameRate > kMaxFrameRate + kFrameRateSlack) {
        reasons.push_back("frame rate is " + RateText(video.FrameRate) +
                          " frames per second; the handheld plays at most 30");
    }
    if (video.AverageBitRate > kMaxMpeg4BitRate) {
        reasons.push_back("video rate is " + std::to_string(video.AverageBitRate / 1000) +
                          " kbit/s; the handheld plays MPEG-4 at most 768 kbit/s");
    }
}

void JudgeVideo(const TVideoTrack& video, std::vector<std::string>& reasons)
{
    switch (video.Codec) {
    case TVideoCodec::H264: JudgeH264(video, reasons); break;
    case TVideoCodec::Mpeg4Visual: JudgeMpeg4(video, reasons); break;
    case TVideoCodec::Other:
        reasons.push_back("video is " + VideoCodecName(video) + "; the handheld plays H.264 and MPEG-4");
        break;
    }
}

void JudgeAudio(const TAudioTrack& audio, std::vector<std::string>& reasons)
{
    if (audio.Codec != TAudioCodec::Aac) {
        reasons.push_back("audio is " + AudioCodecName(audio) + "; the handheld plays AAC");
        return;
    }
    if (audio.AacObjectType != 2 && audio.AacObjectType != 0)
        reasons.push_back("audio is " + AacName(audio.AacObjectType) + "; the handheld plays AAC-LC");
    const int rate = audio.SampleRate;
    if (rate != 24000 && rate != 32000 && rate != 44100 && rate != 48000) {
        reasons.push_back("audio sample rate is " + std::to_string(rate) +
                          " Hz; the handheld plays 24, 32, 44.1 and 48 kHz");
    }
    if (audio.Channels > 2) {
        reasons.push_back("audio has " + std::to_string(audio.Channels) +
                          " channels; the handheld plays mono and stereo");
    }
}

const char* ContainerName(TContainer container)
{
    switch (container) {
    case TContainer::Matroska: return "container is Matroska";
    case TContainer::Avi: return "container is AVI";
    case TContainer::MpegTransport: return "container is an MPEG transport stream";
    case TContainer::Mp4:
    case TContainer::Unknown: break;
    }
    return "file is not an MP4 video";
}

} // namespace

std::string TPlayability::ReasonText() const
{
    std::string text;
    for (const std::string& reason : Reasons)
        text += (text.empty() ? "" : "; ") + reason;
    return text;
}

TPlayability JudgeHeaders(const TMovieHeaders& headers)
{
    TPlayability verdict;
    auto& reasons = verdict.Reasons;
    if (headers.Container != TContainer::Mp4) {
        reasons.push_back(std::string(ContainerName(headers.Container)) + "; the handheld plays MP4");
        verdict.Readable = headers.Container != TContainer::Unknown;
        return verdict;
    }
    if (headers.Fragmented)
        reasons.emplace_back("file is fragmented MP4; the handheld plays MP4 with one movie box");
    if (headers.Video)
        JudgeVideo(*headers.Video, reasons);
    else
        reasons.emplace_back("file has no video track; the handheld plays videos");
    if (headers.Audio)
        JudgeAudio(*headers.Audio, reasons);
    return verdict;
}

TPlayability CheckPlayability(const std::string& path)
{
    try {
        return JudgeHeaders(ReadMovieHeaders(path));
    } catch (const TMediaProblem& problem) {
        return TPlayability{{problem.what()}, false};
    } catch (const std::exception& error) {
        return TPlayability{{std::string("cannot be read: ") + error.what()}, false};
    }
}

} // namespace media
