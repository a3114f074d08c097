// Send, receive, move, delete, rename and title saves on a real FAT file
// system (an image mounted through FUSE), which the program meets as a
// removable vfat handheld through the mount-table seam: names that ignore
// case, no hard links, no no-replace rename, its own flush rules.

#include "catalogue/VideoRename.h"
#include "catalogue/uClass.h"
#include "platform/FileSystem.h"
#include "tests/catalogue/TestFolders.h"
#include "transfer/Deletion.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool Run(const std::string& command)
{
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

// A FAT image made by mkfs.vfat and mounted by fusefat on `Drive`.
class FatVolume {
public:
    explicit FatVolume(const TempFolder& root) : FImage(root / "stick.img"), FDrive(root / "stick")
    {
        fs::create_directories(FDrive);
        if (!Run("command -v fusefat && command -v mkfs.vfat && test -c /dev/fuse")) {
            FProblem = "fusefat, mkfs.vfat or /dev/fuse is missing (scripts/setup.sh installs the first two)";
            return;
        }
        if (!Run("truncate -s 64M " + ShellQuoted(FImage) + " && mkfs.vfat " + ShellQuoted(FImage)))
            FProblem = "cannot make a FAT image";
        else if (!Mount())
            FProblem = "fusefat cannot mount here (FUSE needs /dev/fuse and mount rights)";
    }
    ~FatVolume()
    {
        if (FMounted)
            Run("fusermount -u " + ShellQuoted(FDrive));
    }
    FatVolume(const FatVolume&) = delete;
    FatVolume& operator=(const FatVolume&) = delete;

    bool Mount()
    {
        FMounted = Run("fusefat -o rw+ " + ShellQuoted(FImage) + " " + ShellQuoted(FDrive));
        return FMounted;
    }
    // Detaches the mount at once; the file system goes when its last user does.
    void UnmountLazily()
    {
        Run("fusermount -u -z " + ShellQuoted(FDrive));
        FMounted = false;
    }
    void WaitUntilGone() const
    {
        for (int i = 0; i < 500 && Run("pgrep -f " + ShellQuoted("fusefat -o rw+ " + FImage)); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    const std::string& Problem() const { return FProblem; }
    const std::string& Drive() const { return FDrive; }

private:
    std::string FImage;
    std::string FDrive;
    std::string FProblem;
    bool FMounted = false;
};

class FatHandheld : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!FVolume.Problem().empty())
            GTEST_SKIP() << FVolume.Problem();
        fs::create_directories(FComputer);
        WriteFile(FMountTable, "36 35 98:0 / " + FVolume.Drive() + " rw - vfat /dev/sdz1 rw\n");
        setenv("VANTREL_MOUNTINFO", FMountTable.c_str(), 1);
    }
    void TearDown() override { unsetenv("VANTREL_MOUNTINFO"); }

    std::string Handheld() const { return FVolume.Drive() + "/MP_ROOT/100MNV01/"; }

    TempFolder FRoot;
    FatVolume FVolume{FRoot};
    std::string FComputer = FRoot / "pc/";
    std::string FMountTable = FRoot / "mountinfo";
};

} // namespace

TEST_F(FatHandheld, VideosTravelBothWaysAndStayWhole)
{
    CopyBytes(HandheldVideo(), FComputer + "holiday.mp4");
    CopyBytes(ThumbnailPicture(), FComputer + "holiday.THM");
    WriteFile(FComputer + "beach.mp4", PatternBytes(300000));

    ToolRun run = RunTool(FRoot, "send " + ShellQuoted(FVolume.Drive()) + " " + ShellQuoted(FComputer + "holiday.mp4")
                                     + " " + ShellQuoted(FComputer + "beach.mp4"));
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(ReadFile(Handheld() + "M4V00001.MP4"), ReadFile(HandheldVideo()));
    EXPECT_EQ(ReadFile(Handheld() + "M4V00001.THM"), ReadFile(ThumbnailPicture()));
    EXPECT_EQ(ReadFile(Handheld() + "M4V00002.MP4"), PatternBytes(300000));

    // Back again, beside a computer file of that name: a numbered name.
    WriteFile(FComputer + "M4V00001.MP4", "a computer file");
    run = RunTool(FRoot, "receive --move " + ShellQuoted(FComputer) + " " + ShellQuoted(Handheld() + "M4V00001.MP4"));
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(ReadFile(FComputer + "M4V00001_0.MP4"), ReadFile(HandheldVideo()));
    EXPECT_FALSE(Exists(Handheld() + "M4V00001.MP4"));
    EXPECT_FALSE(Exists(Handheld() + "M4V00001.THM"));

    // A move to the handheld numbers on and takes the computer files away.
    run = RunTool(FRoot, "send --move " + ShellQuoted(FVolume.Drive()) + " " + ShellQuoted(FComputer + "M4V00001_0.MP4"));
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(ReadFile(Handheld() + "M4V00003.MP4"), ReadFile(HandheldVideo()));
    EXPECT_FALSE(Exists(FComputer + "M4V00001_0.MP4"));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(Handheld()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"M4V00002.MP4", "M4V00003.MP4", "M4V00003.THM"}));
}

TEST_F(FatHandheld, TitlesRenamesAndDeletionsWork)
{
    fs::create_directories(Handheld());
    CopyBytes(HandheldVideo(), Handheld() + "M4V00001.MP4");
    CopyBytes(ThumbnailPicture(), Handheld() + "M4V00001.THM");

    ToolRun run = RunTool(FRoot, "title " + ShellQuoted(Handheld() + "M4V00001.MP4") + " 'Summer 2026'");
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    run = RunTool(FRoot, "title " + ShellQuoted(Handheld() + "M4V00001.MP4"));
    EXPECT_EQ(run.Out, "Summer 2026\n");

    // Renames on a file system without no-replace rename or hard links.
    TListFiles scanner;
    scanner.VideoExt = ".MP4";
    scanner.ThumbExt = ".THM";
    TFileInfo record = scanner.DescribeFile(Handheld() + "M4V00001.MP4").value();
    CopyBytes(HandheldVideo(), Handheld() + "TAKEN.MP4");
    EXPECT_EQ(RenameVideo(record, "taken"), TRenameOutcome::NameTaken);
    ASSERT_EQ(RenameVideo(record, "summer"), TRenameOutcome::Renamed);
    EXPECT_EQ(record.FullPath, Handheld() + "summer.MP4");
    EXPECT_EQ(ReadFile(Handheld() + "summer.THM"), ReadFile(ThumbnailPicture()));
    EXPECT_FALSE(Exists(Handheld() + "M4V00001.MP4"));

    TBatchSnapshot snapshot;
    AddToSnapshot(snapshot, TBatchItem{0, record});
    TBatchProgress progress;
    progress.Start(1, 1);
    const TBatchResult result = RunDeletion(snapshot, progress, TDeletionHooks{}, FVolume.Drive());
    EXPECT_EQ(result.Outcome, TBatchOutcome::Done);
    EXPECT_FALSE(Exists(Handheld() + "summer.MP4"));
    EXPECT_FALSE(Exists(Handheld() + "summer.THM"));
    EXPECT_TRUE(Exists(Handheld() + "TAKEN.MP4"));
}

TEST_F(FatHandheld, ALazyUnmountDuringACopyLeavesNoPartialFileOnTheMedium)
{
    const std::string movie = FComputer + "movie.mp4";
    { std::ofstream(movie).close(); }
    fs::resize_file(movie, 48 << 20);
    fs::create_directories(Handheld());

    const pid_t child = ::fork();
    if (child == 0) {
        const char* build = std::getenv("VANTREL_BUILD_DIR");
        const std::string tool = std::string(build ? build : ".") + "/vantrel-tool";
        ::execl(tool.c_str(), tool.c_str(), "send", FVolume.Drive().c_str(), movie.c_str(), nullptr);
        ::_exit(127);
    }
    bool seen = false;
    for (int polls = 0; polls < 100000 && !seen; ++polls) {
        seen = !fs::is_empty(Handheld());
        if (!seen)
            ::usleep(100);
    }
    // Unplugged as a desktop's eject does it, lazily, and the copy stopped:
    // its clean-up must reach the medium, not the empty mount point.
    FVolume.UnmountLazily();
    WriteFile(FMountTable, "");
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(seen) << "the copy never showed up";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "the copy should have stopped";

    FVolume.WaitUntilGone();
    ASSERT_TRUE(FVolume.Mount());
    EXPECT_TRUE(fs::is_empty(Handheld())) << "a partial file stayed on the medium";
}
