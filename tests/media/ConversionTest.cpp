// Conversion into the handheld's format, on sources made by FFmpeg of
// every kind a phone or camera gives: each result is judged by the
// playability check and measured by ffprobe; stops and failures leave
// nothing behind.

#include "media/Conversion.h"
#include "media/Playability.h"

#include "catalogue/PSPTitle.h"
#include "tests/catalogue/TestFolders.h"
#include "tests/common/MakeMedia.h"
#include "tests/common/RunProgram.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

using Arguments = std::vector<std::string>;

Arguments Picture(const std::string& size, const std::string& rate = "30", const std::string& seconds = "1")
{
    return {"-f", "lavfi", "-i", "testsrc2=size=" + size + ":rate=" + rate + ":duration=" + seconds};
}

Arguments Tone(const std::string& seconds = "1")
{
    return {"-f", "lavfi", "-i", "sine=sample_rate=44100:duration=" + seconds};
}

Arguments Joined(std::initializer_list<Arguments> parts)
{
    Arguments all;
    for (const Arguments& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Arguments kHigh = {"-c:v", "libx264", "-preset", "ultrafast", "-profile:v", "high", "-pix_fmt", "yuv420p"};

// ffprobe's key=value lines for the first stream of `kind` ("v", "a"):
// its codec, shape and length, and the length of the whole file
// ("file_duration"). A file without such a stream has no "codec_name".
std::map<std::string, std::string> Probe(const std::string& path, const std::string& kind)
{
    const ProgramRun probe = RunProgram({"ffprobe", "-v", "error", "-select_streams", kind + ":0", "-show_entries",
                                         "stream=codec_name,profile,level,width,height,avg_frame_rate,sample_rate,"
                                         "channels,duration",
                                         "-of", "default=noprint_wrappers=1", path});
    if (probe.exitCode != 0)
        throw std::runtime_error("ffprobe cannot read " + path + ": " + probe.errors);
    const ProgramRun file = RunProgram({"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of",
                                        "default=noprint_wrappers=1:nokey=1", path});
    std::map<std::string, std::string> values{{"file_duration", file.output}};
    std::istringstream lines(probe.output);
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

double Rate(const std::string& fraction)
{
    const auto slash = fraction.find('/');
    return std::stod(fraction.substr(0, slash)) / std::stod(fraction.substr(slash + 1));
}

struct TSource {
    const char* Name;
    Arguments Made;
    bool HasPicture = true;
    bool HasSound = true;
};

class ConversionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PSPTitle::CreateLibrary(); }
    static void TearDownTestSuite() { PSPTitle::DestroyLibrary(); }

    TempFolder FFolder;
    std::string FOut = FFolder / "out/";

    void SetUp() override { fs::create_directories(FOut); }
};

TEST_F(ConversionTest, EverySourceBecomesAVideoTheHandheldPlays)
{
    const std::vector<TSource> sources = {
        {"phone 1080p.mp4", Joined({Picture("1920x1080"), Tone(), kHigh, {"-c:a", "aac"}})},
        {"hevc.mp4", Joined({Picture("640x360"), Tone(), {"-c:v", "libx265", "-x265-params", "log-level=none", "-c:a", "aac"}})},
        {"vp9 in matroska.mp4", Joined({Picture("640x360"), Tone(), {"-c:v", "libvpx-vp9", "-deadline", "realtime",
                                                                    "-c:a", "libopus", "-f", "matroska"}})},
        {"mpeg4 640x480.mp4", Joined({Picture("640x480"), Tone(), {"-c:v", "mpeg4", "-b:v", "2M", "-c:a", "aac"}})},
        {"portrait.mp4", Joined({Picture("1080x1920", "30", "0.5"), Tone("0.5"), kHigh, {"-c:a", "aac"}})},
        {"ac3 sound.mp4", Joined({Picture("480x272", "60"), Tone(), kHigh, {"-c:a", "ac3"}})},
        {"no sound.mp4", Joined({Picture("320x240", "25"), kHigh}), true, false},
        {"sound only.mp4", Joined({Tone(), {"-c:a", "ac3"}}), false, true},
    };
    for (const TSource& source : sources) {
        SCOPED_TRACE(source.Name);
        const std::string from = FFolder / source.Name;
        MakeClip(from, source.Made);
        const std::string to = FOut + "converted " + source.Name;
        double lastShare = -1;
        bool sharesRise = true;
        media::TConversionHooks hooks;
        hooks.Progress = [&](double share) {
            sharesRise = sharesRise && share >= lastShare;
            lastShare = share;
        };

        const media::TConversionResult result = media::ConvertForHandheld(from, to, "Title of " + std::string(source.Name), hooks);

        ASSERT_TRUE(result.Ok()) << result.Problem;
        EXPECT_TRUE(sharesRise);
        EXPECT_EQ(lastShare, 1.0);
        const media::TPlayability verdict = media::CheckPlayability(to);
        if (source.HasPicture)
            EXPECT_TRUE(verdict.Plays()) << verdict.ReasonText();
        else
            EXPECT_EQ(verdict.ReasonText(), "file has no video track; the handheld plays videos");
        EXPECT_EQ(PSPTitle::ReadTitle(to), "Title of " + std::string(source.Name));

        const double length = std::stod(Probe(from, "a").at("file_duration"));
        if (source.HasPicture) {
            const auto video = Probe(to, "v");
            EXPECT_EQ(video.at("codec_name"), "h264");
            EXPECT_EQ(video.at("profile"), "Main");
            EXPECT_EQ(video.at("level"), "30");
            EXPECT_EQ(video.at("width"), "480");
            EXPECT_EQ(video.at("height"), "272");
            // 25 stays, 30 and 60 become 29.97: never the judder of 15.
            EXPECT_LE(Rate(video.at("avg_frame_rate")), 30000.0 / 1001 + 0.01);
            EXPECT_GE(Rate(video.at("avg_frame_rate")), 24.9);
            EXPECT_NEAR(std::stod(video.at("duration")), length, 0.3);
        }
        const auto sound = Probe(to, "a");
        EXPECT_EQ(sound.count("codec_name"), source.HasSound ? 1u : 0u);
        if (source.HasSound) {
            EXPECT_EQ(sound.at("codec_name"), "aac");
            EXPECT_EQ(sound.at("profile"), "LC");
            EXPECT_EQ(sound.at("sample_rate"), "48000");
            EXPECT_EQ(sound.at("channels"), "2");
            EXPECT_NEAR(std::stod(sound.at("duration")), length, 0.3);
        }
    }
    // Only the converted files: no staged file stayed.
    EXPECT_EQ(std::distance(fs::directory_iterator(FOut), fs::directory_iterator()), static_cast<long>(sources.size()));
}

// The first picture of a converted video as 480 x 272 grey levels.
std::string FirstPictureGrey(const TempFolder& folder, const std::string& video)
{
    const std::string raw = folder / "first.grey";
    const ProgramRun decoded = RunProgram({"ffmpeg", "-nostdin", "-y", "-v", "error", "-i", video, "-frames:v", "1",
                                           "-f", "rawvideo", "-pix_fmt", "gray", raw});
    if (decoded.exitCode != 0)
        throw std::runtime_error(decoded.errors);
    return ReadFile(raw);
}

double MeanGrey(const std::string& grey, int left, int top, int right, int bottom)
{
    double sum = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x)
            sum += static_cast<unsigned char>(grey[static_cast<std::size_t>(y * 480 + x)]);
    }
    return sum / ((right - left) * (bottom - top));
}

TEST_F(ConversionTest, PicturesKeepTheirShapeAndAreNeverEnlarged)
{
    // 320 x 240 stays that size in the middle; 1080 x 1920 shrinks to
    // 152 x 272 between bars.
    MakeClip(FFolder / "small.mp4", Joined({{"-f", "lavfi", "-i", "color=c=white:s=320x240:r=25:d=0.4"}, kHigh}));
    MakeClip(FFolder / "tall.mp4", Joined({{"-f", "lavfi", "-i", "color=c=white:s=1080x1920:r=25:d=0.4"}, kHigh}));
    ASSERT_TRUE(media::ConvertForHandheld(FFolder / "small.mp4", FOut + "small.mp4", "S", {}).Ok());
    ASSERT_TRUE(media::ConvertForHandheld(FFolder / "tall.mp4", FOut + "tall.mp4", "T", {}).Ok());

    const std::string small = FirstPictureGrey(FFolder, FOut + "small.mp4");
    ASSERT_EQ(small.size(), 480u * 272u);
    EXPECT_GT(MeanGrey(small, 82, 18, 398, 254), 230);  // the picture, inside its edges
    EXPECT_LT(MeanGrey(small, 0, 0, 78, 272), 20);      // bars left and right
    EXPECT_LT(MeanGrey(small, 402, 0, 480, 272), 20);
    EXPECT_LT(MeanGrey(small, 0, 0, 480, 14), 20);      // and above and below
    EXPECT_LT(MeanGrey(small, 0, 258, 480, 272), 20);

    const std::string tall = FirstPictureGrey(FFolder, FOut + "tall.mp4");
    EXPECT_GT(MeanGrey(tall, 168, 0, 312, 272), 230);
    EXPECT_LT(MeanGrey(tall, 0, 0, 160, 272), 20);
    EXPECT_LT(MeanGrey(tall, 320, 0, 480, 272), 20);
}

TEST_F(ConversionTest, AStopPartWayLeavesNothing)
{
    MakeClip(FFolder / "long.mp4", Joined({Picture("640x360", "30", "6"), Tone("6"), kHigh, {"-c:a", "aac"}}));
    media::TConversionHooks hooks;
    double reached = 0;
    hooks.Progress = [&](double share) { reached = share; };
    hooks.ShouldStop = [&] { return reached > 0.3; };

    const media::TConversionResult result = media::ConvertForHandheld(FFolder / "long.mp4", FOut + "long.mp4", "L", hooks);

    EXPECT_EQ(result.Status, media::TConversionStatus::Stopped);
    EXPECT_LT(reached, 0.5);
    EXPECT_TRUE(fs::is_empty(FOut));
}

TEST_F(ConversionTest, FailuresNameTheFileAndLeaveNothing)
{
    WriteFile(FFolder / "words.mp4", "not a video at all\n");
    const media::TConversionResult broken = media::ConvertForHandheld(FFolder / "words.mp4", FOut + "a.mp4", "A", {});
    EXPECT_EQ(broken.Status, media::TConversionStatus::Failed);
    EXPECT_EQ(broken.Problem.rfind(FFolder / "words.mp4" + ": cannot be decoded", 0), 0u) << broken.Problem;
    EXPECT_TRUE(fs::is_empty(FOut));

    MakeClip(FFolder / "clip.mp4", Joined({Picture("320x240", "25", "0.4"), kHigh}));
    WriteFile(FOut + "taken.mp4", "already here");
    const media::TConversionResult taken = media::ConvertForHandheld(FFolder / "clip.mp4", FOut + "taken.mp4", "B", {});
    EXPECT_EQ(taken.Error, EEXIST);
    EXPECT_EQ(ReadFile(FOut + "taken.mp4"), "already here");
}

TEST_F(ConversionTest, AFullMediumFailsAsAWriteOfTheTargetAndLeavesNothing)
{
    const ScratchMedium medium(FFolder / "stick", "96k");
    if (!medium.Mounted())
        GTEST_SKIP() << medium.Problem();
    MakeClip(FFolder / "big.mp4", Joined({Picture("1280x720", "30", "4"), Tone("4"), kHigh, {"-c:a", "aac"}}));
    const std::string target = medium.Path() + "/M4V00001.MP4";

    const media::TConversionResult result = media::ConvertForHandheld(FFolder / "big.mp4", target, "Big", {});

    EXPECT_EQ(result.Status, media::TConversionStatus::Failed);
    EXPECT_EQ(result.Error, ENOSPC);
    EXPECT_EQ(result.Path, target);
    EXPECT_NE(result.Problem.find("No space left on device"), std::string::npos) << result.Problem;
    EXPECT_TRUE(fs::is_empty(medium.Path()));
}

} // namespace
