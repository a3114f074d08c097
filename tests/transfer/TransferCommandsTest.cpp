// vantrel-tool send and receive, run as a script runs them.

#include "tests/catalogue/TestFolders.h"
#include "tests/common/MakeMedia.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

namespace {

// Starts vantrel-tool with `arguments` and sends it `signal` once a file
// of the copy shows up in `folder`; its exit status, as waitpid gives it.
int SignalToolMidCopy(const std::vector<std::string>& arguments, const std::string& folder, int signal)
{
    const char* build = std::getenv("VANTREL_BUILD_DIR");
    const std::string tool = std::string(build ? build : ".") + "/vantrel-tool";
    std::vector<char*> argv{const_cast<char*>(tool.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
        ::execv(tool.c_str(), argv.data());
        ::_exit(127);
    }
    bool seen = false;
    for (int polls = 0; polls < 200000 && !seen; ++polls) {
        std::error_code missing;
        seen = fs::exists(folder, missing) && !fs::is_empty(folder, missing);
        if (!seen)
            ::usleep(50);
    }
    ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
    return seen ? status : -1;
}

std::vector<std::string> VideoNamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 4 && name.substr(name.size() - 4) == ".MP4")
            names.push_back(name);
    }
    return names;
}

} // namespace

TEST_F(TransferCommands, AKilledSendLeavesNoVideoUnderAHandheldNameAndTheNextSendClearsUp)
{
    const std::string movie = FComputer + "movie.MP4";
    fs::resize_file(fs::path(FComputer + "beach.MP4"), 0);
    { std::ofstream(movie).close(); }
    fs::resize_file(movie, 256 << 20);  // sparse: quick to read, long to write
    fs::remove_all(FHandheld);

    const int status = SignalToolMidCopy({"send", FDrive, movie}, FHandheld, SIGKILL);
    ASSERT_NE(status, -1) << "the copy never showed up";
    ASSERT_TRUE(WIFSIGNALED(status));
    const std::vector<std::string> videos = VideoNamesIn(FHandheld);
    for (const std::string& name : videos)
        EXPECT_EQ(fs::file_size(FHandheld + name), 256u << 20) << name << " is cut off";

    const ToolRun run = RunTool(FRoot, "send " + ShellQuoted(FDrive) + " " + ShellQuoted(FComputer + "beach.MP4"));
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(FHandheld))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left.size(), videos.size() + 1) << "a leftover of the killed copy stayed";
}

TEST_F(TransferCommands, EndingSignalsStopTheSendAsCtrlCDoes)
{
    const std::string movie = FComputer + "movie.MP4";
    { std::ofstream(movie).close(); }
    fs::resize_file(movie, 256 << 20);
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        fs::remove_all(FHandheld);
        const int status = SignalToolMidCopy({"send", FDrive, movie}, FHandheld, signal);
        ASSERT_NE(status, -1) << "the copy never showed up";
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal << " ended the tool at once";
        EXPECT_EQ(WEXITSTATUS(status), 1);
        EXPECT_TRUE(fs::is_empty(FHandheld)) << "signal " << signal;
    }
}

TEST_F(TransferCommands, AThumbnailThatStayedBehindGetsAWarningLine)
{
    WriteFile(FHandheld + "M4V00001.THM", "a stray thumbnail");

    const ToolRun run = RunTool(FRoot, "send " + ShellQuoted(FDrive) + " " + ShellQuoted(FComputer + "holiday.mp4"));

    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Err.rfind("vantrel-tool: warning: thumbnail " + FComputer + "holiday.thm stayed behind: ", 0), 0u)
        << run.Err;
}

TEST_F(TransferCommands, FoldersMadeOnAFreshMediumAreFlushedWithTheirParents)
{
    if (std::system("strace -V >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "strace is not installed; it shows which folders are flushed";
    fs::remove_all(FDrive + "/MP_ROOT");
    const std::string trace = FRoot / "trace";
    const ToolRun run = RunTool(FRoot, "send " + ShellQuoted(FDrive) + " " + ShellQuoted(FComputer + "beach.MP4"),
                                // LeakSanitizer cannot run under ptrace; leaks are checked elsewhere.
                                "ASAN_OPTIONS=detect_leaks=0 strace -f -qq -e trace=openat,fsync -o " + ShellQuoted(trace));
    ASSERT_EQ(run.ExitCode, 0) << run.Err;

    // Each folder opened on its own and then flushed through that descriptor.
    std::map<std::string, bool> flushed{{FDrive, false}, {FDrive + "/MP_ROOT", false}, {FDrive + "/MP_ROOT/100MNV01", false}};
    std::map<std::string, std::string> openAs;  // descriptor -> folder
    std::istringstream lines(ReadFile(trace));
    for (std::string line; std::getline(lines, line);) {
        const auto result = line.rfind(" = ");
        if (result == std::string::npos)
            continue;
        const std::string value = line.substr(result + 3);
        const auto open = line.find("openat(AT_FDCWD, \"");
        if (open != std::string::npos && line.find("O_DIRECTORY") != std::string::npos) {
            const auto start = open + 18;
            std::string folder = line.substr(start, line.find('"', start) - start);
            while (folder.size() > 1 && folder.back() == '/')
                folder.pop_back();
            openAs[value] = folder;
        }
        const auto sync = line.find("fsync(");
        if (sync != std::string::npos && value == "0") {
            const std::string fd = line.substr(sync + 6, line.find(')', sync) - sync - 6);
            if (flushed.count(openAs[fd]) > 0)
                flushed[openAs[fd]] = true;
        }
    }
    for (const auto& [folder, done] : flushed)
        EXPECT_TRUE(done) << folder << " was not flushed";
}

TEST_F(TransferCommands, SendConvertConvertsWhatWillNotPlayAndCopiesTheRest)
{
    MakeClip(FComputer + "phone.mp4", {"-f", "lavfi", "-i", "testsrc2=s=640x360:r=30:d=1", "-f", "lavfi", "-i",
                                       "sine=duration=1", "-c:v", "libx264", "-preset", "ultrafast", "-profile:v",
                                       "high", "-pix_fmt", "yuv420p", "-c:a", "aac"});

    const ToolRun run = RunTool(FRoot, "send --convert " + ShellQuoted(FDrive) + " " +
                                           ShellQuoted(FComputer + "holiday.mp4") + " " +
                                           ShellQuoted(FComputer + "phone.mp4"));

    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, FComputer + "holiday.mp4\t" + FHandheld + "M4V00001.MP4\n" + FComputer + "phone.mp4\t" +
                           FHandheld + "M4V00002.MP4\n");
    EXPECT_EQ(ReadFile(FHandheld + "M4V00001.MP4"), ReadFile(HandheldVideo()));
    const ToolRun check = RunTool(FRoot, "check " + ShellQuoted(FHandheld + "M4V00002.MP4"));
    EXPECT_EQ(check.ExitCode, 0) << check.Out;
    EXPECT_TRUE(Exists(FHandheld + "M4V00002.THM"));
    EXPECT_TRUE(Exists(FComputer + "phone.mp4"));

    // Without --convert the same video goes byte for byte; receive takes
    // no --convert.
    ASSERT_EQ(RunTool(FRoot, "send " + ShellQuoted(FDrive) + " " + ShellQuoted(FComputer + "phone.mp4")).ExitCode, 0);
    EXPECT_EQ(ReadFile(FHandheld + "M4V00003.MP4"), ReadFile(FComputer + "phone.mp4"));
    EXPECT_EQ(RunTool(FRoot, "receive --convert " + ShellQuoted(FComputer) + " " +
                                 ShellQuoted(FHandheld + "M4V00001.MP4")).ExitCode,
              2);
}
