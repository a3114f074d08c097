#include "media/ThumbnailMaker.h"

#include "media/CodecTable.h"
#include "media/JpegEncoder.h"
#include "media/MediaProblem.h"
#include "platform/FileSystem.h"

namespace media {

namespace {

// Small and sharp enough for the handheld's list: a few kilobytes.
constexpr int kQuality = 85;

} // namespace

std::vector<std::uint8_t> MakeThumbnail(const std::string& videoPath)
{
    std::string problem;
    const TCodecTable* codecs = CodecTable(problem);
    if (codecs == nullptr)
        throw TMediaProblem("cannot be decoded: " + problem);
    return EncodeJpeg(codecs->GrabFrame(videoPath, kThumbnailWidth, kThumbnailHeight), kQuality);
}

std::string WriteMadeThumbnail(const std::string& videoPath, const std::string& target)
{
    std::vector<std::uint8_t> jpeg;
    try {
        jpeg = MakeThumbnail(videoPath);
    } catch (const TMediaProblem& problem) {
        return problem.what();
    }
    if (const int error = platform::WriteFileExclusive(target, jpeg.data(), jpeg.size()); error != 0)
        return "cannot write " + target + ": " + platform::ErrorText(error);
    return {};
}

} // namespace media
