// The playability check on videos made by FFmpeg: what plays, one clip
// for each rule a video can break, and files that are no videos at all.

#include "media/Mp4Headers.h"
#include "media/Playability.h"

#include "tests/common/MakeMedia.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

using Arguments = std::vector<std::string>;

// A test pattern and a tone, `seconds` long, at `size` and `rate`.
Arguments Sources(const std::string& size, const std::string& rate = "25", const std::string& seconds = "0.4",
                  const std::string& tone = "sine=sample_rate=48000")
{
    return {"-f", "lavfi", "-i", "testsrc2=size=" + size + ":rate=" + rate + ":duration=" + seconds,
            "-f", "lavfi", "-i", tone + ":duration=" + seconds};
}

Arguments Joined(Arguments first, const Arguments& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// H.264 of `profile` and `level` with AAC-LC sound. (The fastest presets
// drop to Constrained Baseline whatever is asked: veryfast keeps the
// profile.)
Arguments H264(const std::string& profile, const std::string& level)
{
    return {"-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p", "-profile:v", profile,
            "-level", level, "-c:a", "aac"};
}

struct TClip {
    const char* Name;
    Arguments Made;
    // Empty: the clip plays. Else a part of each reason, in order.
    std::vector<std::string> Reasons;
};

std::vector<TClip> Clips()
{
    const Arguments main30 = H264("main", "3.0");
    return {
        {"psp-mpeg4.mp4", Joined(Sources("320x240", "25", "2"), {"-c:v", "mpeg4", "-b:v", "400k", "-c:a", "aac", "-f", "psp"}), {}},
        {"main-480x272.mp4", Joined(Sources("480x272"), main30), {}},
        {"baseline-320x240.mp4", Joined(Sources("320x240"), H264("baseline", "3.0")), {}},
        {"dvd-720x480.mp4", Joined(Sources("720x480", "30000/1001"), main30), {}},
        {"video-only.mp4", Joined(Sources("480x272"), Joined({"-map", "0:v"}, main30)), {}},
        {"phone-1080p.mp4", Joined(Sources("1920x1080", "30", "0.1"), H264("high", "4.0")),
         {"video is H.264 High profile; the handheld plays Baseline and Main",
          "video is H.264 level 4.0; the handheld plays up to level 3.0",
          "picture is 1920 x 1080; the handheld shows at most 480 x 272 (720 x 480 for H.264 Main up to level 3.0)"}},
        {"level-3.1.mp4", Joined(Sources("480x272"), H264("main", "3.1")), {"level 3.1; the handheld plays up to level 3.0"}},
        {"60fps.mp4", Joined(Sources("480x272", "60"), main30), {"frame rate is 60 frames per second"}},
        {"dvd-baseline.mp4", Joined(Sources("720x480", "30000/1001"), H264("baseline", "3.0")), {"picture is 720 x 480"}},
        {"interlaced.mp4", Joined(Sources("480x272"), Joined(main30, {"-flags", "+ilme+ildct"})),
         {"video is interlaced; the handheld plays progressive video"}},
        {"hevc.mp4", Joined(Sources("480x272"), {"-c:v", "libx265", "-x265-params", "log-level=none", "-c:a", "aac"}),
         {"video is HEVC; the handheld plays H.264 and MPEG-4"}},
        {"vp9-matroska.mp4", Joined(Sources("320x240"), {"-c:v", "libvpx-vp9", "-c:a", "libopus", "-f", "matroska"}),
         {"container is Matroska; the handheld plays MP4"}},
        {"mpeg4-640x480.mp4", Joined(Sources("640x480"), {"-c:v", "mpeg4", "-b:v", "2M", "-c:a", "aac"}),
         {"picture is 640 x 480; the handheld shows MPEG-4 at most 480 x 272", "kbit/s; the handheld plays MPEG-4 at most 768 kbit/s"}},
        {"mpeg4-asp.mp4", Joined(Sources("320x240"), {"-c:v", "mpeg4", "-bf", "2", "-mpeg_quant", "1", "-q:v", "20", "-c:a", "aac"}),
         {"video is MPEG-4 Advanced Simple Profile; the handheld plays Simple Profile"}},
        {"ac3.mp4", Joined(Sources("480x272"), Joined(main30, {"-c:a", "ac3"})), {"audio is AC-3; the handheld plays AAC"}},
        {"aac-main.mp4", Joined(Sources("480x272"), Joined(main30, {"-profile:a", "aac_main"})),
         {"audio is AAC Main; the handheld plays AAC-LC"}},
        {"22khz-6ch.mp4",
         Joined(Sources("480x272", "25", "0.4", "sine=sample_rate=22050"), Joined(main30, {"-ac", "6"})),
         {"audio sample rate is 22050 Hz; the handheld plays 24, 32, 44.1 and 48 kHz",
          "audio has 6 channels; the handheld plays mono and stereo"}},
        {"audio-only.mp4", Joined(Sources("480x272"), {"-map", "1:a", "-c:a", "aac"}),
         {"file has no video track; the handheld plays videos"}},
        {"fragmented.mp4", Joined(Sources("480x272"), Joined(main30, {"-movflags", "frag_keyframe+empty_moov"})),
         {"file is fragmented MP4; the handheld plays MP4 with one movie box"}},
    };
}

class PlayabilityTest : public ::testing::Test {
protected:
    // Made once for the whole suite: FFmpeg is the slow part.
    static void SetUpTestSuite()
    {
        FFolder = new TempFolder();
        for (const TClip& clip : Clips())
            MakeClip(*FFolder / clip.Name, clip.Made);
    }
    static void TearDownTestSuite()
    {
        delete FFolder;
        FFolder = nullptr;
    }

    static std::string PathOf(const std::string& name) { return *FFolder / name; }

    static TempFolder* FFolder;
};

TempFolder* PlayabilityTest::FFolder = nullptr;

TEST_F(PlayabilityTest, EachRuleGivesItsReasonNamingTheValueAndTheLimit)
{
    for (const TClip& clip : Clips()) {
        SCOPED_TRACE(clip.Name);
        const media::TPlayability verdict = media::CheckPlayability(PathOf(clip.Name));
        EXPECT_EQ(verdict.Reasons.size(), clip.Reasons.size()) << verdict.ReasonText();
        if (verdict.Reasons.size() != clip.Reasons.size())
            continue;
        for (std::size_t index = 0; index < clip.Reasons.size(); ++index)
            EXPECT_NE(verdict.Reasons[index].find(clip.Reasons[index]), std::string::npos) << verdict.Reasons[index];
        EXPECT_EQ(verdict.Plays(), clip.Reasons.empty());
    }
}

TEST_F(PlayabilityTest, ReadsTheProfileLevelSizeAndRateFromTheHeaders)
{
    const media::TMovieHeaders dvd = media::ReadMovieHeaders(PathOf("dvd-720x480.mp4"));
    ASSERT_TRUE(dvd.Video && dvd.Audio);
    EXPECT_EQ(dvd.Video->Codec, media::TVideoCodec::H264);
    EXPECT_EQ(dvd.Video->Profile, 77);
    EXPECT_EQ(dvd.Video->Level, 30);
    EXPECT_EQ(dvd.Video->Width, 720);
    EXPECT_EQ(dvd.Video->Height, 480);
    EXPECT_NEAR(dvd.Video->FrameRate, 29.97, 0.01);
    EXPECT_EQ(dvd.Audio->AacObjectType, 2);
    EXPECT_EQ(dvd.Audio->SampleRate, 48000);
}

TEST(PlayabilityOfBrokenFiles, SaysWhatIsWrongAndNeverThrows)
{
    const TempFolder folder;
    const Arguments main30 = H264("main", "3.0");
    MakeClip(folder / "whole.mp4", Joined(Sources("320x240"), Joined(main30, {"-movflags", "+faststart"})));
    const std::string whole = [&] {
        std::ifstream in(folder / "whole.mp4", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return folder / name;
    };
    struct TCase {
        std::string Path;
        const char* Reason;
    };
    const std::vector<TCase> cases = {
        {write("empty.mp4", ""), "file is empty"},
        {write("text.mp4", "just some words, not a video at all\n"), "file is not an MP4 video"},
        // Cut inside the movie box, which comes first here.
        {write("cut.mp4", whole.substr(0, 600)), "file is damaged"},
        {write("box-too-long.mp4", std::string("\xFF\xFF\xFF\xF0" "ftypisom", 12) + std::string(20, '\0')), "file is damaged"},
        {folder / "missing.mp4", "cannot be read"},
        {folder.Path(), "cannot be read"},
    };
    for (const TCase& broken : cases) {
        SCOPED_TRACE(broken.Path);
        const media::TPlayability verdict = media::CheckPlayability(broken.Path);
        ASSERT_EQ(verdict.Reasons.size(), 1u) << verdict.ReasonText();
        EXPECT_NE(verdict.Reasons[0].find(broken.Reason), std::string::npos) << verdict.Reasons[0];
    }
}

TEST(PlayabilityOfLongVideos, ReadsAFewKilobytesOfAMovieLengthFile)
{
    // About two hours: a one-second clip played 7,200 times, its movie box
    // (sample tables) megabytes long and at the end of the file.
    const TempFolder folder;
    VideoRecipe movie;
    movie.format = "mp4";
    movie.tiny = true;
    movie.loops = 7200;
    MakeVideo(folder / "movie.mp4", movie);
    ASSERT_GT(fs::file_size(folder / "movie.mp4"), 4u << 20);

    const media::TMovieHeaders headers = media::ReadMovieHeaders(folder / "movie.mp4");
    ASSERT_TRUE(headers.Video && headers.Audio);
    EXPECT_EQ(headers.Video->Width, 32);
    // Each copy of the clip runs a little longer than its ten pictures.
    EXPECT_NEAR(headers.Video->FrameRate, 10, 0.5);
    EXPECT_LE(headers.BytesRead, 256u << 10);
    EXPECT_TRUE(media::CheckPlayability(folder / "movie.mp4").Plays());
}

} // namespace
