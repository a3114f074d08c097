// Thumbnails made from videos: the picture libjpeg reads back from the
// made file against the frame FFmpeg decodes at the same place, black
// leads passed over, bars around pictures of another shape, and videos
// that give no picture.

#include "media/MediaProblem.h"
#include "media/ThumbnailMaker.h"

#include "catalogue/JpegDecoder.h"
#include "tests/common/MakeMedia.h"
#include "tests/common/RunProgram.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

using media::kThumbnailHeight;
using media::kThumbnailWidth;

constexpr int kPixels = kThumbnailWidth * kThumbnailHeight;

struct TRgb {
    int R = 0, G = 0, B = 0;
};

std::vector<TRgb> DecodeMade(const std::string& path)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        throw std::runtime_error("cannot open " + path);
    std::vector<std::uint32_t> words(kPixels);
    if (!DecodeJpegStream(file.get(), kThumbnailWidth, kThumbnailHeight, words))
        throw std::runtime_error("libjpeg cannot decode " + path);
    std::vector<TRgb> pixels;
    for (const std::uint32_t word : words)
        pixels.push_back({int(word >> 16 & 0xFF), int(word >> 8 & 0xFF), int(word & 0xFF)});
    return pixels;
}

// The frame FFmpeg decodes `seconds` into `video`, through `filter`, as
// 160 x 120 RGB.
std::vector<TRgb> ReferenceFrame(const TempFolder& folder, const std::string& video, const std::string& seconds,
                                 const std::string& filter)
{
    const std::string raw = folder / "reference.rgb";
    const ProgramRun decoded = RunProgram({"ffmpeg", "-nostdin", "-y", "-v", "error", "-ss", seconds, "-i", video,
                                           "-frames:v", "1", "-vf", filter, "-f", "rawvideo", "-pix_fmt", "rgb24", raw});
    if (decoded.exitCode != 0)
        throw std::runtime_error("ffmpeg cannot decode " + video + ": " + decoded.errors);
    std::ifstream in(raw, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    if (bytes.size() != kPixels * 3u)
        throw std::runtime_error("reference frame has " + std::to_string(bytes.size()) + " bytes");
    std::vector<TRgb> pixels;
    for (std::size_t at = 0; at < bytes.size(); at += 3)
        pixels.push_back({std::uint8_t(bytes[at]), std::uint8_t(bytes[at + 1]), std::uint8_t(bytes[at + 2])});
    return pixels;
}

// Mean absolute difference per channel over the rows [top, bottom).
double MeanDifference(const std::vector<TRgb>& a, const std::vector<TRgb>& b, int top = 0, int bottom = kThumbnailHeight)
{
    double sum = 0;
    for (int at = top * kThumbnailWidth; at < bottom * kThumbnailWidth; ++at)
        sum += std::abs(a[at].R - b[at].R) + std::abs(a[at].G - b[at].G) + std::abs(a[at].B - b[at].B);
    return sum / (3.0 * (bottom - top) * kThumbnailWidth);
}

double MeanBrightness(const std::vector<TRgb>& pixels, int top, int bottom)
{
    return MeanDifference(pixels, std::vector<TRgb>(kPixels), top, bottom);
}

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

const std::vector<std::string> kH264 = {"-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p"};

std::vector<std::string> With(std::vector<std::string> sources, const std::vector<std::string>& more)
{
    sources.insert(sources.end(), more.begin(), more.end());
    return sources;
}

TEST(MadeThumbnail, IsTheFrameAfterABlackLeadAsFFmpegDecodesIt)
{
    // Ten seconds: three of black, then colour bars. A tenth in is black,
    // so the picture comes from the bars.
    const TempFolder folder;
    const std::string video = folder / "fade in.mp4";
    MakeClip(video, With({"-f", "lavfi", "-i",
                          "color=c=black:s=320x240:r=10:d=3[a];smptebars=s=320x240:r=10:d=7[b];[a][b]concat=n=2:v=1:a=0"},
                         kH264));
    ASSERT_EQ(media::WriteMadeThumbnail(video, folder / "made.THM"), "");

    const std::vector<TRgb> made = DecodeMade(folder / "made.THM");
    const std::vector<TRgb> reference = ReferenceFrame(folder, video, "5", "scale=160:120:flags=area");
    EXPECT_GT(MeanBrightness(made, 0, kThumbnailHeight), 60);
    EXPECT_LT(MeanDifference(made, reference), 6);

    // Baseline, as the handheld's decoder needs: a SOF0 frame, no
    // progressive (SOF2) one. Marker bytes cannot occur in coded data.
    const std::string jpeg = Bytes(folder / "made.THM");
    EXPECT_NE(jpeg.find("\xFF\xC0"), std::string::npos);
    EXPECT_EQ(jpeg.find("\xFF\xC2"), std::string::npos);
}

TEST(MadeThumbnail, KeepsTheShapeOfAWidePictureWithBarsAboveAndBelow)
{
    const TempFolder folder;
    const std::string video = folder / "wide.mp4";
    MakeClip(video, With({"-f", "lavfi", "-i", "smptebars=s=320x180:r=10:d=2"}, kH264));
    ASSERT_EQ(media::WriteMadeThumbnail(video, folder / "wide.THM"), "");

    const std::vector<TRgb> made = DecodeMade(folder / "wide.THM");
    const std::vector<TRgb> reference =
        ReferenceFrame(folder, video, "0.2", "scale=160:90:flags=area,pad=160:120:0:15:black");
    EXPECT_LT(MeanBrightness(made, 0, 14), 4);
    EXPECT_LT(MeanBrightness(made, 106, 120), 4);
    EXPECT_GT(MeanBrightness(made, 16, 104), 60);
    EXPECT_LT(MeanDifference(made, reference), 6);
}

TEST(MadeThumbnail, AVideoWithoutAPictureGivesAReasonAndNoFile)
{
    const TempFolder folder;
    MakeClip(folder / "sound.mp4", {"-f", "lavfi", "-i", "sine=duration=1", "-c:a", "aac"});
    std::ofstream(folder / "words.mp4") << "not a video\n";
    for (const std::string name : {"sound.mp4", "words.mp4", "missing.mp4"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(media::MakeThumbnail(folder / name), media::TMediaProblem);
        EXPECT_NE(media::WriteMadeThumbnail(folder / name, folder / (name + ".THM")), "");
        EXPECT_FALSE(std::ifstream(folder / (name + ".THM")).good());
    }
}

TEST(MadeThumbnail, NeverReplacesAFile)
{
    const TempFolder folder;
    MakeClip(folder / "clip.mp4", With({"-f", "lavfi", "-i", "testsrc2=s=160x120:r=10:d=1"}, kH264));
    std::ofstream(folder / "clip.THM") << "the user's own picture";
    const std::string problem = media::WriteMadeThumbnail(folder / "clip.mp4", folder / "clip.THM");
    EXPECT_NE(problem.find(folder / "clip.THM"), std::string::npos) << problem;
    EXPECT_EQ(Bytes(folder / "clip.THM"), "the user's own picture");
}

} // namespace
