// build/vantrel-tool check and thumb, run as a script would run them.

#include "tests/catalogue/TestFolders.h"
#include "tests/common/MakeMedia.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kMainProfile = {"-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p",
                                               "-profile:v", "main", "-level", "3.0"};

std::vector<std::string> Clip(const std::string& size, std::vector<std::string> encoding)
{
    std::vector<std::string> arguments = {"-f", "lavfi", "-i", "testsrc2=s=" + size + ":r=25:d=0.4"};
    arguments.insert(arguments.end(), encoding.begin(), encoding.end());
    return arguments;
}

TEST(CheckCommand, OneLinePerVideoAndTheExitCodeOfTheWorst)
{
    const TempFolder folder;
    const std::string plays = folder / "plays.mp4";
    const std::string tooLarge = folder / "too large.mp4";
    MakeClip(plays, Clip("480x272", kMainProfile));
    MakeClip(tooLarge, Clip("640x480", kMainProfile));

    const ToolRun good = RunTool(folder, "check " + ShellQuoted(plays));
    EXPECT_EQ(good.ExitCode, 0) << good.Err;
    EXPECT_EQ(good.Out, plays + "\tplays\n");

    const ToolRun mixed =
        RunTool(folder, "check " + ShellQuoted(plays) + " " + ShellQuoted(tooLarge) + " " + ShellQuoted(folder / "gone.mp4"));
    EXPECT_EQ(mixed.ExitCode, 1);
    EXPECT_EQ(mixed.Out, plays + "\tplays\n" + tooLarge +
                             "\twill not play: picture is 640 x 480; the handheld shows at most 480 x 272 (720 x 480 for "
                             "H.264 Main up to level 3.0)\n" +
                             folder / "gone.mp4" + "\twill not play: cannot be read: No such file or directory\n");

    EXPECT_EQ(RunTool(folder, "check").ExitCode, 2);
}

TEST(ThumbCommand, WritesBesideTheVideoAndNeverReplacesAFile)
{
    const TempFolder folder;
    const std::string video = folder / "clip.mp4";
    MakeClip(video, Clip("320x240", kMainProfile));

    const ToolRun beside = RunTool(folder, "thumb " + ShellQuoted(video));
    EXPECT_EQ(beside.ExitCode, 0) << beside.Err;
    ASSERT_TRUE(Exists(folder / "clip.THM"));
    EXPECT_EQ(ReadFile(folder / "clip.THM").substr(0, 2), "\xFF\xD8");

    const std::string before = ReadFile(folder / "clip.THM");
    const ToolRun again = RunTool(folder, "thumb " + ShellQuoted(video));
    EXPECT_EQ(again.ExitCode, 1);
    EXPECT_NE(again.Err.find(folder / "clip.THM"), std::string::npos) << again.Err;
    EXPECT_EQ(ReadFile(folder / "clip.THM"), before);

    const ToolRun named = RunTool(folder, "thumb " + ShellQuoted(video) + " " + ShellQuoted(folder / "other.THM"));
    EXPECT_EQ(named.ExitCode, 0) << named.Err;
    EXPECT_TRUE(Exists(folder / "other.THM"));

    WriteFile(folder / "words.mp4", "no pictures here\n");
    const ToolRun broken = RunTool(folder, "thumb " + ShellQuoted(folder / "words.mp4"));
    EXPECT_EQ(broken.ExitCode, 1);
    EXPECT_NE(broken.Err.find("words.mp4"), std::string::npos) << broken.Err;
    EXPECT_FALSE(Exists(folder / "words.THM"));

    EXPECT_EQ(RunTool(folder, "thumb").ExitCode, 2);
}

} // namespace
