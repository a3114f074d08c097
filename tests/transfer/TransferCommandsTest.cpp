// vantrel-tool send and receive, run as a script runs them.

#include "tests/catalogue/TestFolders.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class TransferCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(FComputer);
        fs::create_directories(FHandheld);
        CopyBytes(HandheldVideo(), FComputer + "holiday.mp4");
        CopyBytes(ThumbnailPicture(), FComputer + "holiday.thm");
        WriteFile(FComputer + "beach.MP4", PatternBytes(5000));
    }

    TempFolder FRoot;
    std::string FComputer = FRoot / "pc/";
    std::string FDrive = FRoot / "psp";
    std::string FHandheld = FDrive + "/MP_ROOT/100MNV01/";
};

} // namespace

TEST_F(TransferCommands, SendNumbersAfterTheHighestNameAndCarriesThumbnails)
{
    WriteFile(FHandheld + "M4V00007.MP4", "already there");

    const ToolRun run = RunTool(FRoot, "send " + ShellQuoted(FDrive) + " " + ShellQuoted(FComputer + "holiday.mp4")
                                           + " " + ShellQuoted(FComputer + "beach.MP4"));

    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, FComputer + "holiday.mp4\t" + FHandheld + "M4V00008.MP4\n" + FComputer + "beach.MP4\t"
                           + FHandheld + "M4V00009.MP4\n");
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(ReadFile(FHandheld + "M4V00008.MP4"), ReadFile(HandheldVideo()));
    EXPECT_EQ(ReadFile(FHandheld + "M4V00008.THM"), ReadFile(ThumbnailPicture()));
    EXPECT_EQ(ReadFile(FHandheld + "M4V00009.MP4"), PatternBytes(5000));
    EXPECT_FALSE(Exists(FHandheld + "M4V00009.THM"));
    EXPECT_TRUE(Exists(FComputer + "holiday.mp4"));
}

TEST_F(TransferCommands, MovesBothWaysDeleteTheSourcesAndNumberTakenNames)
{
    ToolRun run = RunTool(FRoot, "send --move " + ShellQuoted(FDrive) + " " + ShellQuoted(FComputer + "holiday.mp4"));
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_FALSE(Exists(FComputer + "holiday.mp4"));
    EXPECT_FALSE(Exists(FComputer + "holiday.thm"));

    WriteFile(FComputer + "M4V00001.MP4", "a computer file of that name");
    run = RunTool(FRoot, "receive --move " + ShellQuoted(FComputer) + " " + ShellQuoted(FHandheld + "M4V00001.MP4"));

    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, FHandheld + "M4V00001.MP4\t" + FComputer + "M4V00001_0.MP4\n");
    EXPECT_EQ(ReadFile(FComputer + "M4V00001_0.MP4"), ReadFile(HandheldVideo()));
    EXPECT_EQ(ReadFile(FComputer + "M4V00001_0.THM"), ReadFile(ThumbnailPicture()));
    EXPECT_EQ(ReadFile(FComputer + "M4V00001.MP4"), "a computer file of that name");
    EXPECT_FALSE(Exists(FHandheld + "M4V00001.MP4"));
    EXPECT_FALSE(Exists(FHandheld + "M4V00001.THM"));
}

TEST_F(TransferCommands, FailuresNameTheFileAndStopBeforeCopying)
{
    ToolRun run = RunTool(FRoot, "receive " + ShellQuoted(FComputer) + " " + ShellQuoted(FHandheld + "M4V00001.MP4"));
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, "vantrel-tool: cannot read " + FHandheld + "M4V00001.MP4: No such file or directory\n");

    run = RunTool(FRoot, "send " + ShellQuoted(FRoot / "nowhere") + " " + ShellQuoted(FComputer + "beach.MP4"));
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err, "vantrel-tool: cannot use " + (FRoot / "nowhere") + ": not a folder\n");

    ScratchMedium stick(FRoot / "stick", "64k");
    if (!stick.Mounted())
        GTEST_SKIP() << stick.Problem();
    WriteFile(FComputer + "large.MP4", PatternBytes(100 * 1024));
    run = RunTool(FRoot, "send " + ShellQuoted(stick.Path()) + " " + ShellQuoted(FComputer + "large.MP4"));
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err, "vantrel-tool: " + stick.Path() + ": Not enough free disk space for storage.\n");
    EXPECT_FALSE(Exists(stick.Path() + "/MP_ROOT"));
}

TEST_F(TransferCommands, WrongUsageExitsTwo)
{
    for (const char* arguments : {"send", "send --move", "receive " , "send onlyadrive"}) {
        const ToolRun run = RunTool(FRoot, arguments);
        EXPECT_EQ(run.ExitCode, 2) << arguments;
        EXPECT_NE(run.Err.find("usage:"), std::string::npos) << arguments;
    }
}
