// The chunked copier on real files: the chunk events, the failure table
// and what is left on the medium afterwards.

#include "catalogue/uClass.h"
#include "tests/catalogue/TestFolders.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A copier that records what it reports, in order: "P<count>" for each
// progress event and "T" for each message-loop turn.
struct RecordingCopier {
    TCopyFile Copier;
    std::vector<std::string> Events;
    std::vector<std::string> Boxes;
    std::vector<std::string> ProgressNames;

    RecordingCopier()
    {
        Copier.OnProgress = [this](int count, const std::string& name) {
            Events.push_back("P" + std::to_string(count));
            ProgressNames.push_back(name);
        };
        Copier.OnTurn = [this] { Events.push_back("T"); };
        Copier.ShowError = [this](const std::string& text) { Boxes.push_back(text); };
    }

    std::int64_t ReportedBytes() const
    {
        std::int64_t total = 0;
        for (const std::string& event : Events) {
            if (event[0] == 'P')
                total += std::stoll(event.substr(1));
        }
        return total;
    }
};

bool exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// A mount table of the test's own (VANTREL_MOUNTINFO) holding the root
// and the given mount points, for as long as the object lives.
class SimulatedMountTable {
public:
    explicit SimulatedMountTable(const std::vector<std::string>& mountPoints)
    {
        std::string text = "22 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n";
        int id = 900;
        for (const std::string& mountPoint : mountPoints)
            text += std::to_string(++id) + " 22 8:1 / " + mountPoint + " rw,relatime - vfat /dev/sdn1 rw\n";
        WriteFile(FFolder / "mountinfo", text);
        ::setenv("VANTREL_MOUNTINFO", (FFolder / "mountinfo").c_str(), 1);
    }
    ~SimulatedMountTable() { ::unsetenv("VANTREL_MOUNTINFO"); }
    SimulatedMountTable(const SimulatedMountTable&) = delete;
    SimulatedMountTable& operator=(const SimulatedMountTable&) = delete;

private:
    TempFolder FFolder;
};

} // namespace

TEST(CopyFile, TwoHundredFiftyBytesGiveChunksOfHundredHundredFifty)
{
    TempFolder folder;
    const std::string source = folder / "clip.mp4";
    WriteFile(source, PatternBytes(250));
    RecordingCopier copy;

    ASSERT_TRUE(copy.Copier.Execute(source, folder / "copy.mp4"));

    EXPECT_EQ(copy.Events, (std::vector<std::string>{"P100", "T", "P100", "T", "P50", "T"}));
    EXPECT_EQ(copy.ProgressNames, (std::vector<std::string>(3, source)));
    EXPECT_EQ(ReadFile(folder / "copy.mp4"), PatternBytes(250));
    EXPECT_TRUE(copy.Boxes.empty());
}

TEST(CopyFile, LargeFileIsReportedInHundredByteChunksAfterTheirBytesAreWritten)
{
    TempFolder folder;
    const std::string source = folder / "big.mp4";
    const std::string dest = folder / "out/big.mp4";
    const std::size_t size = 3 * 1048576 + 7;  // spans several blocks, odd tail
    WriteFile(source, PatternBytes(size));
    TCopyFile copier;
    std::vector<int> chunks;
    std::int64_t reported = 0;
    bool behindWrites = true;
    copier.OnProgress = [&](int count, const std::string&) {
        chunks.push_back(count);
        reported += count;
        // Checked every 997 chunks: each event comes after its bytes are in
        // the file being written (the one entry of Dest's folder, under its
        // temporary name until the end).
        if (chunks.size() % 997 == 0) {
            std::int64_t written = 0;
            for (const auto& entry : fs::directory_iterator(folder / "out"))
                written += static_cast<std::int64_t>(entry.file_size());
            behindWrites = behindWrites && written >= reported;
        }
    };
    int turns = 0;
    copier.OnTurn = [&] { ++turns; };

    ASSERT_TRUE(copier.Execute(source, dest));

    ASSERT_EQ(chunks.size(), size / 100 + 1);
    EXPECT_EQ(turns, static_cast<int>(chunks.size()));
    for (std::size_t i = 0; i + 1 < chunks.size(); ++i)
        ASSERT_EQ(chunks[i], 100) << "chunk " << i;
    EXPECT_EQ(chunks.back(), 35);  // 3145735 bytes
    EXPECT_TRUE(behindWrites);
    EXPECT_EQ(ReadFile(dest), PatternBytes(size));
}

TEST(CopyFile, EmptySourceGivesEmptyDestWithoutEvents)
{
    TempFolder folder;
    WriteFile(folder / "empty.mp4", "");
    RecordingCopier copy;

    ASSERT_TRUE(copy.Copier.Execute(folder / "empty.mp4", folder / "copy.mp4"));

    EXPECT_TRUE(copy.Events.empty());
    ASSERT_TRUE(exists(folder / "copy.mp4"));
    EXPECT_EQ(fs::file_size(folder / "copy.mp4"), 0u);
}

TEST(CopyFile, MissingSourceFailsSilentlyWithoutDest)
{
    TempFolder folder;
    RecordingCopier copy;

    EXPECT_FALSE(copy.Copier.Execute(folder / "missing.mp4", folder / "copy.mp4"));

    EXPECT_TRUE(copy.Boxes.empty());
    EXPECT_TRUE(copy.Events.empty());
    EXPECT_FALSE(exists(folder / "copy.mp4"));
}

TEST(CopyFile, FolderAsSourceFailsSilentlyWithoutDest)
{
    TempFolder folder;
    fs::create_directory(folder / "clip.mp4");
    RecordingCopier copy;

    EXPECT_FALSE(copy.Copier.Execute(folder / "clip.mp4", folder / "copy.mp4"));

    EXPECT_TRUE(copy.Boxes.empty());
    EXPECT_FALSE(exists(folder / "copy.mp4"));
}

TEST(CopyFile, PipeAsSourceIsRefusedWithoutWaitingForAWriter)
{
    TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "clip.mp4").c_str(), 0644), 0);
    RecordingCopier copy;

    EXPECT_FALSE(copy.Copier.Execute(folder / "clip.mp4", folder / "copy.mp4"));

    EXPECT_TRUE(copy.Boxes.empty());
    EXPECT_FALSE(exists(folder / "copy.mp4"));
}

TEST(CopyFile, MissingFolderChainIsCreated)
{
    TempFolder folder;
    WriteFile(folder / "clip.mp4", PatternBytes(1000));
    const std::string dest = folder / "stick/MP_ROOT/100MNV01/M4V00001.MP4";
    RecordingCopier copy;

    ASSERT_TRUE(copy.Copier.Execute(folder / "clip.mp4", dest));

    EXPECT_EQ(ReadFile(dest), PatternBytes(1000));
}

TEST(CopyFile, NothingIsMadeBelowAHandheldThatIsNoLongerMounted)
{
    // The handheld was pulled out; its mount-point folder stays behind on
    // the computer's own disk.
    TempFolder folder;
    WriteFile(folder / "clip.mp4", PatternBytes(1000));
    const std::string handheld = folder / "stick";
    fs::create_directory(handheld);
    const SimulatedMountTable table({});
    RecordingCopier copy;
    copy.Copier.DestMountPoint = handheld;

    EXPECT_FALSE(copy.Copier.Execute(folder / "clip.mp4", handheld + "/MP_ROOT/100MNV01/M4V00001.MP4"));
    EXPECT_FALSE(exists(handheld + "/MP_ROOT"));

    // Not even into a folder that is already there.
    EXPECT_FALSE(copy.Copier.Execute(folder / "clip.mp4", handheld + "/M4V00001.MP4"));
    EXPECT_FALSE(exists(handheld + "/M4V00001.MP4"));
    EXPECT_TRUE(copy.Boxes.empty());
    EXPECT_TRUE(copy.Events.empty());
}

TEST(CopyFile, FolderChainIsCreatedOnAMountedHandheld)
{
    TempFolder folder;
    WriteFile(folder / "clip.mp4", PatternBytes(1000));
    const std::string handheld = folder / "stick";
    fs::create_directory(handheld);
    const SimulatedMountTable table({handheld});
    RecordingCopier copy;
    copy.Copier.DestMountPoint = handheld + "/";

    ASSERT_TRUE(copy.Copier.Execute(folder / "clip.mp4", handheld + "/MP_ROOT/100MNV01/M4V00001.MP4"));

    EXPECT_EQ(ReadFile(handheld + "/MP_ROOT/100MNV01/M4V00001.MP4"), PatternBytes(1000));
    // A destination off that drive is refused all the same.
    EXPECT_FALSE(copy.Copier.Execute(folder / "clip.mp4", folder / "elsewhere.mp4"));
    EXPECT_FALSE(exists(folder / "elsewhere.mp4"));
}

TEST(CopyFile, ExistingDestIsReplaced)
{
    TempFolder folder;
    WriteFile(folder / "clip.mp4", PatternBytes(120));
    WriteFile(folder / "copy.mp4", std::string(5000, 'x'));
    RecordingCopier copy;

    ASSERT_TRUE(copy.Copier.Execute(folder / "clip.mp4", folder / "copy.mp4"));

    EXPECT_EQ(ReadFile(folder / "copy.mp4"), PatternBytes(120));
}

TEST(CopyFile, DestThatIsTheSourceIsRefusedAndTheSourceKept)
{
    TempFolder folder;
    WriteFile(folder / "clip.mp4", PatternBytes(300));
    ASSERT_EQ(::link((folder / "clip.mp4").c_str(), (folder / "link.mp4").c_str()), 0);
    RecordingCopier copy;

    EXPECT_FALSE(copy.Copier.Execute(folder / "clip.mp4", folder / "clip.mp4"));
    EXPECT_FALSE(copy.Copier.Execute(folder / "clip.mp4", folder / "link.mp4"));

    EXPECT_EQ(ReadFile(folder / "clip.mp4"), PatternBytes(300));
    EXPECT_TRUE(copy.Boxes.empty());
}

TEST(CopyFile, DestThatCannotBeCreatedFailsSilently)
{
    TempFolder folder;
    WriteFile(folder / "clip.mp4", PatternBytes(300));
    WriteFile(folder / "plain-file", "not a folder");
    RecordingCopier copy;

    EXPECT_FALSE(copy.Copier.Execute(folder / "clip.mp4", folder / "plain-file/copy.mp4"));

    EXPECT_TRUE(copy.Boxes.empty());
    EXPECT_TRUE(copy.Events.empty());
}

TEST(CopyFile, ExceptionFromProgressHandlerShowsOneBoxAndDeletesDest)
{
    TempFolder folder;
    WriteFile(folder / "clip.mp4", PatternBytes(1000));
    RecordingCopier copy;
    int calls = 0;
    copy.Copier.OnProgress = [&](int, const std::string&) {
        if (++calls == 2)
            throw std::runtime_error("progress handler fault");
    };

    EXPECT_FALSE(copy.Copier.Execute(folder / "clip.mp4", folder / "copy.mp4"));

    EXPECT_EQ(calls, 2);
    EXPECT_EQ(copy.Boxes, (std::vector<std::string>{"Read/Write file fail!"}));
    EXPECT_FALSE(exists(folder / "copy.mp4"));
    EXPECT_EQ(ReadFile(folder / "clip.mp4"), PatternBytes(1000));
}

TEST(CopyFile, ExceptionFromTurnShowsOneBoxAndDeletesDest)
{
    TempFolder folder;
    WriteFile(folder / "clip.mp4", PatternBytes(1000));
    RecordingCopier copy;
    copy.Copier.OnTurn = [] { throw 42; };

    EXPECT_FALSE(copy.Copier.Execute(folder / "clip.mp4", folder / "copy.mp4"));

    EXPECT_EQ(copy.Boxes.size(), 1u);
    EXPECT_FALSE(exists(folder / "copy.mp4"));
}

TEST(CopyFile, ReadErrorShowsOneBoxAndDeletesDest)
{
    // /proc/self/mem is a regular file whose first page is never mapped:
    // reading it fails with EIO, a real read error on a real file.
    TempFolder folder;
    RecordingCopier copy;

    EXPECT_FALSE(copy.Copier.Execute("/proc/self/mem", folder / "copy.mp4"));

    EXPECT_EQ(copy.Boxes, (std::vector<std::string>{"Read/Write file fail!"}));
    EXPECT_TRUE(copy.Events.empty());
    EXPECT_FALSE(exists(folder / "copy.mp4"));
}

TEST(CopyFile, FailureWithoutErrorSeamShowsNothingAndStillCleansUp)
{
    TempFolder folder;
    WriteFile(folder / "clip.mp4", PatternBytes(500));
    TCopyFile copier;
    copier.OnTurn = [] { throw std::runtime_error("turn fault"); };

    EXPECT_FALSE(copier.Execute(folder / "clip.mp4", folder / "copy.mp4"));
    EXPECT_FALSE(exists(folder / "copy.mp4"));
}

TEST(CopyFile, WithoutProgressHandlerTheTurnsStillComeOncePerChunk)
{
    TempFolder folder;
    WriteFile(folder / "clip.mp4", PatternBytes(250));
    TCopyFile copier;
    int turns = 0;
    copier.OnTurn = [&] { ++turns; };

    ASSERT_TRUE(copier.Execute(folder / "clip.mp4", folder / "copy.mp4"));

    EXPECT_EQ(turns, 3);
    EXPECT_EQ(ReadFile(folder / "copy.mp4"), PatternBytes(250));
}

// A 64 KiB tmpfs mounted for the test: a medium that really fills up.
class FullMedium : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!FMedium.Mounted())
            GTEST_SKIP() << FMedium.Problem();
    }

    TempFolder FFolder;
    ScratchMedium FMedium{FFolder / "medium"};
    const std::string& FMount = FMedium.Path();
};

TEST_F(FullMedium, CopyThatFillsTheMediumShowsOneBoxAndLeavesNoPartialFile)
{
    const std::string source = FFolder / "clip.mp4";
    WriteFile(source, PatternBytes(200 * 1024));
    RecordingCopier copy;

    EXPECT_FALSE(copy.Copier.Execute(source, FMount + "/MP_ROOT/100MNV01/M4V00001.MP4"));

    EXPECT_EQ(copy.Boxes, (std::vector<std::string>{"Read/Write file fail!"}));
    EXPECT_LT(copy.ReportedBytes(), 64 * 1024);
    EXPECT_FALSE(exists(FMount + "/MP_ROOT/100MNV01/M4V00001.MP4"));
    EXPECT_EQ(ReadFile(source), PatternBytes(200 * 1024));
}

TEST_F(FullMedium, CopyThatFitsSucceedsOnTheSameMedium)
{
    const std::string source = FFolder / "clip.mp4";
    WriteFile(source, PatternBytes(20 * 1024));
    RecordingCopier copy;

    ASSERT_TRUE(copy.Copier.Execute(source, FMount + "/M4V00001.MP4"));

    EXPECT_EQ(ReadFile(FMount + "/M4V00001.MP4"), PatternBytes(20 * 1024));
    EXPECT_EQ(copy.ReportedBytes(), 20 * 1024);
}

TEST(CopyFile, StopAskedForMidwayLeavesNoPartialFileAndNoBox)
{
    TempFolder folder;
    WriteFile(folder / "clip.mp4", PatternBytes(3 * 1024 * 1024));
    RecordingCopier copy;
    int turns = 0;
    copy.Copier.ShouldStop = [&turns] { return ++turns == 5; };

    EXPECT_FALSE(copy.Copier.Execute(folder / "clip.mp4", folder / "copy.mp4"));

    EXPECT_TRUE(copy.Boxes.empty());
    EXPECT_FALSE(exists(folder / "copy.mp4"));
    EXPECT_EQ(turns, 5);
    EXPECT_NE(copy.Copier.FailureText.find(folder / "clip.mp4"), std::string::npos);
}

TEST(CopyFile, FailureTextNamesTheFileAndTheReason)
{
    TempFolder folder;
    TCopyFile copier;

    EXPECT_FALSE(copier.Execute(folder / "missing.mp4", folder / "copy.mp4"));
    EXPECT_EQ(copier.FailureText, "cannot open " + (folder / "missing.mp4") + ": No such file or directory");

    WriteFile(folder / "clip.mp4", PatternBytes(10));
    EXPECT_TRUE(copier.Execute(folder / "clip.mp4", folder / "copy.mp4"));
    EXPECT_EQ(copier.FailureText, "");
}

TEST(CopyFile, KeepingExistingFilesNeverReplacesOne)
{
    TempFolder folder;
    WriteFile(folder / "clip.mp4", PatternBytes(300));
    WriteFile(folder / "taken.mp4", "older file");
    RecordingCopier copy;
    copy.Copier.KeepExisting = true;

    EXPECT_FALSE(copy.Copier.Execute(folder / "clip.mp4", folder / "taken.mp4"));

    EXPECT_EQ(ReadFile(folder / "taken.mp4"), "older file");
    EXPECT_TRUE(copy.Boxes.empty());
    EXPECT_EQ(copy.Copier.FailureText, "cannot create " + (folder / "taken.mp4") + ": File exists");
}
