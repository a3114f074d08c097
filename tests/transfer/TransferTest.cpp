// The transfer engine on real files: copies and moves both ways with and
// without thumbnails, the remembered computer name, failures part-way,
// sources that cannot be deleted, and stopping.

#include "transfer/Transfer.h"

#include "platform/FileSystem.h"
#include "tests/catalogue/TestFolders.h"
#include "catalogue/HandheldFolder.h"
#include "catalogue/Thumbnail.h"
#include "tests/common/MakeMedia.h"
#include "media/Playability.h"
#include "transfer/ConversionPlan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>

namespace fs = std::filesystem;

namespace {

// One computer video with its thumbnail, as a scan records it.
TBatchItem ComputerVideo(const std::string& folder, const std::string& name, std::size_t size, bool withThumb,
                         int row)
{
    TBatchItem item;
    item.Row = row;
    item.Info.FileName = name;
    item.Info.FullPath = folder + name;
    WriteFile(item.Info.FullPath, PatternBytes(size) + name);
    item.Info.Size = static_cast<double>(size + name.size());
    if (withThumb) {
        item.Info.ThumbPath = ThumbnailPathFor(item.Info.FullPath);
        WriteFile(item.Info.ThumbPath, "thumb of " + name);
        item.Info.ThumbSize = static_cast<std::int64_t>(("thumb of " + name).size());
        item.Info.NoThumb = false;
    }
    return item;
}

// Runs batches and records what the engine reports.
struct TRecorder {
    TCopyFile Copier;
    TBatchProgress Progress;
    TTransferHooks Hooks;
    std::vector<std::string> Arrived;       // new full paths, in order
    std::vector<TFileInfo> Records;
    std::vector<int> RemovedRows;
    std::vector<std::string> Reports;       // thumbnail report names
    std::vector<std::string> Boxes;

    TRecorder()
    {
        Copier.ShowError = [this](const std::string& text) { Boxes.push_back(text); };
        Hooks.Report = [this](double, const std::string& path) { Reports.push_back(path); };
        Hooks.Arrived = [this](const TBatchItem& source, const TFileInfo& arrived, bool sourceDeleted) {
            Arrived.push_back(arrived.FullPath);
            Records.push_back(arrived);
            if (sourceDeleted)
                RemovedRows.push_back(source.Row);
        };
    }

    TBatchResult Run(TTransferWay way, TTransferKind kind, const std::string& folder, const TBatchSnapshot& snapshot,
                     int* highest = nullptr)
    {
        Progress.Start(snapshot.NeededBytes, static_cast<int>(snapshot.Items.size()));
        return RunTransfer(TTransferRequest{way, kind, folder, highest, {}, {}}, snapshot, Copier, Progress, Hooks);
    }
};

class TransferTest : public ::testing::Test {
protected:
    TempFolder FRoot;
    std::string FComputer = FRoot / "pc/";
    std::string FHandheld = THandheldFolder::OnDrive(FRoot / "psp").Path();

    void SetUp() override { fs::create_directories(FComputer); }

    TBatchSnapshot Snapshot(std::vector<TBatchItem> items)
    {
        TBatchSnapshot snapshot;
        for (TBatchItem& item : items)
            AddToSnapshot(snapshot, std::move(item));
        return snapshot;
    }
};

} // namespace

TEST_F(TransferTest, CopyToTheHandheldNamesVideosAndThumbnailsAndKeepsTheSources)
{
    const TBatchSnapshot snapshot = Snapshot({ComputerVideo(FComputer, "holiday.mp4", 1000, true, 2),
                                              ComputerVideo(FComputer, "beach.mp4", 500, false, 5)});
    TRecorder recorder;
    int highest = 11;

    const TBatchResult result = recorder.Run(TTransferWay::ToHandheld, TTransferKind::Copy, FHandheld, snapshot, &highest);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Done);
    EXPECT_EQ(recorder.Arrived, (std::vector<std::string>{FHandheld + "M4V00012.MP4", FHandheld + "M4V00013.MP4"}));
    EXPECT_EQ(highest, 13);
    EXPECT_EQ(ReadFile(FHandheld + "M4V00012.MP4"), ReadFile(FComputer + "holiday.mp4"));
    EXPECT_EQ(ReadFile(FHandheld + "M4V00012.THM"), "thumb of holiday.mp4");
    EXPECT_EQ(ReadFile(FHandheld + "M4V00013.MP4"), ReadFile(FComputer + "beach.mp4"));
    EXPECT_FALSE(Exists(FHandheld + "M4V00013.THM"));
    EXPECT_TRUE(recorder.RemovedRows.empty());
    // The new rows remember the computer names for the way back.
    EXPECT_EQ(recorder.Records[0].NewPath, "holiday.mp4");
    EXPECT_EQ(recorder.Records[0].ThumbPath, FHandheld + "M4V00012.THM");
    EXPECT_TRUE(recorder.Records[1].NoThumb);
    // Only the thumbnail reports to the hooks; a video without one does not.
    EXPECT_EQ(recorder.Reports, (std::vector<std::string>{FHandheld + "M4V00012.THM"}));
    EXPECT_EQ(recorder.Progress.BatchIndex(), 2);
}

TEST_F(TransferTest, MoveTakesTheLastRowFirstAndDeletesSourcesOnlyAfterTheirCopies)
{
    const TBatchSnapshot snapshot = Snapshot({ComputerVideo(FComputer, "a.mp4", 100, true, 2),
                                              ComputerVideo(FComputer, "b.mp4", 100, true, 5),
                                              ComputerVideo(FComputer, "c.mp4", 100, false, 7)});
    const std::string aBytes = ReadFile(FComputer + "a.mp4");
    TRecorder recorder;
    int highest = 0;

    const TBatchResult result = recorder.Run(TTransferWay::ToHandheld, TTransferKind::Move, FHandheld, snapshot, &highest);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Done);
    EXPECT_EQ(recorder.RemovedRows, (std::vector<int>{7, 5, 2}));
    EXPECT_EQ(ReadFile(FHandheld + "M4V00003.MP4"), aBytes);
    EXPECT_EQ(ReadFile(FHandheld + "M4V00003.THM"), "thumb of a.mp4");
    for (const char* gone : {"a.mp4", "a.THM", "b.mp4", "b.THM", "c.mp4"})
        EXPECT_FALSE(Exists(FComputer + gone)) << gone;
}

TEST_F(TransferTest, VideosComeBackUnderTheirComputerNamesOrNumberedHandheldNames)
{
    TRecorder going;
    int highest = 11;
    ASSERT_EQ(going.Run(TTransferWay::ToHandheld, TTransferKind::Copy, FHandheld,
                        Snapshot({ComputerVideo(FComputer, "holiday.mp4", 300, true, 0)}), &highest)
                  .Outcome,
              TBatchOutcome::Done);
    TBatchItem onHandheld{0, going.Records[0]};

    const std::string back = FRoot / "back/";
    fs::create_directories(back);
    TRecorder first;
    EXPECT_EQ(first.Run(TTransferWay::ToComputer, TTransferKind::Copy, back, Snapshot({onHandheld})).Outcome,
              TBatchOutcome::Done);
    EXPECT_EQ(first.Arrived, (std::vector<std::string>{back + "holiday.mp4"}));
    EXPECT_EQ(ReadFile(back + "holiday.THM"), "thumb of holiday.mp4");
    EXPECT_EQ(first.Records[0].NewPath, "");

    TRecorder second;
    (void)second.Run(TTransferWay::ToComputer, TTransferKind::Copy, back, Snapshot({onHandheld, onHandheld}));
    EXPECT_EQ(second.Arrived, (std::vector<std::string>{back + "M4V00012.MP4", back + "M4V00012_0.MP4"}));
    EXPECT_EQ(ReadFile(back + "M4V00012_0.MP4"), ReadFile(FHandheld + "M4V00012.MP4"));
    EXPECT_EQ(ReadFile(back + "M4V00012_0.THM"), "thumb of holiday.mp4");
}

TEST_F(TransferTest, ThumbnailThatCannotBeCopiedLeavesTheStrayFileAndTheSourceThumbnail)
{
    fs::create_directories(FHandheld);
    WriteFile(FHandheld + "M4V00001.THM", "stray");
    TRecorder recorder;
    int highest = 0;

    const TBatchResult result = recorder.Run(TTransferWay::ToHandheld, TTransferKind::Move, FHandheld,
                                             Snapshot({ComputerVideo(FComputer, "a.mp4", 100, true, 0)}), &highest);

    ASSERT_EQ(recorder.Records.size(), 1u);
    EXPECT_TRUE(recorder.Records[0].NoThumb);
    EXPECT_EQ(recorder.Reports, (std::vector<std::string>{""}));
    EXPECT_EQ(ReadFile(FHandheld + "M4V00001.THM"), "stray");
    EXPECT_FALSE(Exists(FComputer + "a.mp4"));
    // The thumbnail did not travel, so the computer keeps it, and the
    // result says so.
    EXPECT_TRUE(Exists(FComputer + "a.THM"));
    ASSERT_EQ(result.ThumbnailsLeft.size(), 1u);
    EXPECT_EQ(result.ThumbnailsLeft[0].Path, FComputer + "a.THM");
    EXPECT_NE(result.ThumbnailsLeft[0].Reason.find("File exists"), std::string::npos);
}

TEST_F(TransferTest, FailingVideoStopsTheBatchAndWhatWasDoneStays)
{
    TBatchItem missing = ComputerVideo(FComputer, "b.mp4", 100, true, 1);
    fs::remove(missing.Info.FullPath);
    TRecorder recorder;
    int highest = 0;

    const TBatchResult result = recorder.Run(
        TTransferWay::ToHandheld, TTransferKind::Copy, FHandheld,
        Snapshot({ComputerVideo(FComputer, "a.mp4", 100, true, 0), missing, ComputerVideo(FComputer, "c.mp4", 100, true, 2)}),
        &highest);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Failed);
    EXPECT_EQ(result.FailureText, "cannot open " + FComputer + "b.mp4: No such file or directory");
    EXPECT_EQ(recorder.Arrived, (std::vector<std::string>{FHandheld + "M4V00001.MP4"}));
    EXPECT_FALSE(Exists(FHandheld + "M4V00002.MP4"));
    EXPECT_FALSE(Exists(FHandheld + "M4V00003.MP4"));
}

TEST_F(TransferTest, StopBeforeTheNextVideoKeepsWhatWasDone)
{
    TRecorder recorder;
    // Esc once the first video's bytes are all written: the copier asks
    // once more after its last chunk, the batch before the next video.
    int copied = 0;
    int askedSinceCopied = 0;
    recorder.Copier.OnProgress = [&copied](int count, const std::string&) { copied += count; };
    recorder.Hooks.ShouldStop = [&] { return copied == 105 && ++askedSinceCopied > 1; };  // 100 + "b.mp4"
    int highest = 0;

    const TBatchResult result = recorder.Run(
        TTransferWay::ToHandheld, TTransferKind::Move, FHandheld,
        Snapshot({ComputerVideo(FComputer, "a.mp4", 100, false, 0), ComputerVideo(FComputer, "b.mp4", 100, false, 1)}),
        &highest);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Stopped);
    EXPECT_EQ(recorder.RemovedRows, (std::vector<int>{1}));
    EXPECT_EQ(recorder.Arrived, (std::vector<std::string>{FHandheld + "M4V00001.MP4"}));
    EXPECT_TRUE(Exists(FComputer + "a.mp4"));
    EXPECT_TRUE(recorder.Boxes.empty());
}

TEST_F(TransferTest, AVideoIsDeliveredWhileTheNextOneCopiesAndTheBatchEndsWithEveryDelivery)
{
    TRecorder recorder;
    std::vector<std::string> events;
    recorder.Copier.OnProgress = [&events](int, const std::string& source) {
        if (events.empty() || events.back() != "bytes of " + source)
            events.push_back("bytes of " + source);
    };
    recorder.Hooks.Arrived = [&events](const TBatchItem&, const TFileInfo& arrived, bool) {
        events.push_back("arrived " + arrived.FileName);
    };
    int highest = 0;

    const TBatchResult result = recorder.Run(
        TTransferWay::ToHandheld, TTransferKind::Copy, FHandheld,
        Snapshot({ComputerVideo(FComputer, "a.mp4", 100, true, 0), ComputerVideo(FComputer, "b.mp4", 100, true, 1)}),
        &highest);

    // The first video's flush and thumbnail do not hold the second copy up.
    EXPECT_EQ(result.Outcome, TBatchOutcome::Done);
    EXPECT_EQ(events, (std::vector<std::string>{"bytes of " + FComputer + "a.mp4", "bytes of " + FComputer + "b.mp4",
                                                "arrived M4V00001.MP4", "arrived M4V00002.MP4"}));
    EXPECT_EQ(ReadFile(FHandheld + "M4V00002.THM"), "thumb of b.mp4");
    EXPECT_EQ(ReadFile(FHandheld + "M4V00001.MP4"), ReadFile(FComputer + "a.mp4"));
}

TEST_F(TransferTest, AVideoWhoseCopyCannotBeNamedFailsTheBatchAndTheNextCopyIsDropped)
{
    TRecorder recorder;
    // Its name is taken while it copies: the final rename never replaces.
    recorder.Copier.OnProgress = [this](int, const std::string& source) {
        if (source == FComputer + "b.mp4" && !Exists(FHandheld + "M4V00001.MP4"))
            WriteFile(FHandheld + "M4V00001.MP4", "another program's file");
    };
    const auto listing = [this] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(FHandheld))
            names.push_back(entry.path().filename().string());
        return names;
    };
    // The box waits for the user: by then nothing of either copy is left.
    std::vector<std::string> atTheBox;
    recorder.Copier.ShowError = [&](const std::string& text) {
        recorder.Boxes.push_back(text);
        atTheBox = listing();
    };
    int highest = 0;

    const TBatchResult result = recorder.Run(
        TTransferWay::ToHandheld, TTransferKind::Move, FHandheld,
        Snapshot({ComputerVideo(FComputer, "a.mp4", 100, true, 0), ComputerVideo(FComputer, "b.mp4", 100, true, 1)}),
        &highest);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Failed);
    EXPECT_EQ(result.FailureText, "cannot write " + FHandheld + "M4V00001.MP4: File exists");
    EXPECT_EQ(result.Error, EEXIST);
    EXPECT_EQ(recorder.Boxes, (std::vector<std::string>{"Read/Write file fail!"}));
    EXPECT_TRUE(recorder.Arrived.empty());
    EXPECT_TRUE(recorder.RemovedRows.empty());
    EXPECT_TRUE(Exists(FComputer + "b.mp4") && Exists(FComputer + "b.THM") && Exists(FComputer + "a.mp4"));
    EXPECT_EQ(ReadFile(FHandheld + "M4V00001.MP4"), "another program's file");
    // The second video was written whole but is dropped with the batch.
    EXPECT_EQ(atTheBox, (std::vector<std::string>{"M4V00001.MP4"}));
    EXPECT_EQ(listing(), (std::vector<std::string>{"M4V00001.MP4"}));
}

TEST_F(TransferTest, StopWhileAVideoCopiesLeavesNoPartialFileAndNoBox)
{
    TRecorder recorder;
    int chunks = 0;
    recorder.Copier.OnProgress = [&chunks](int, const std::string&) { ++chunks; };
    recorder.Hooks.ShouldStop = [&chunks] { return chunks > 10; };
    int highest = 0;

    const TBatchResult result = recorder.Run(TTransferWay::ToHandheld, TTransferKind::Move, FHandheld,
                                             Snapshot({ComputerVideo(FComputer, "a.mp4", 3 << 20, true, 0)}), &highest);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Stopped);
    EXPECT_FALSE(Exists(FHandheld + "M4V00001.MP4"));
    EXPECT_FALSE(Exists(FHandheld + "M4V00001.THM"));
    EXPECT_TRUE(Exists(FComputer + "a.mp4"));
    EXPECT_TRUE(recorder.Boxes.empty());
    EXPECT_TRUE(recorder.Arrived.empty());
}

TEST_F(TransferTest, SourceThatCannotBeDeletedStaysAndIsNamed)
{
    ScratchMedium medium(FRoot / "stick");
    if (!medium.Mounted())
        GTEST_SKIP() << medium.Problem();
    const std::string folder = medium.Path() + "/";
    TBatchItem item = ComputerVideo(folder, "a.mp4", 1000, true, 4);
    ASSERT_TRUE(medium.MakeReadOnly());
    TRecorder recorder;
    int highest = 0;

    const TBatchResult result =
        recorder.Run(TTransferWay::ToHandheld, TTransferKind::Move, FHandheld, Snapshot({item}), &highest);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Done);
    EXPECT_EQ(result.Stayed, (std::vector<std::string>{folder + "a.mp4"}));
    EXPECT_TRUE(recorder.RemovedRows.empty());
    EXPECT_EQ(recorder.Arrived, (std::vector<std::string>{FHandheld + "M4V00001.MP4"}));
    EXPECT_TRUE(Exists(folder + "a.THM"));
}

TEST_F(TransferTest, FullMediumPartWayStopsAtTheVideoThatDoesNotFit)
{
    ScratchMedium medium(FRoot / "psp", "64k");
    if (!medium.Mounted())
        GTEST_SKIP() << medium.Problem();
    TRecorder recorder;
    int highest = 0;

    const TBatchResult result = recorder.Run(
        TTransferWay::ToHandheld, TTransferKind::Move, FHandheld,
        Snapshot({ComputerVideo(FComputer, "a.mp4", 20 << 10, true, 0), ComputerVideo(FComputer, "b.mp4", 80 << 10, true, 1)}),
        &highest);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Failed);
    EXPECT_NE(result.FailureText.find("No space left on device"), std::string::npos) << result.FailureText;
    EXPECT_EQ(recorder.Boxes, (std::vector<std::string>{"Read/Write file fail!"}));
    // The move goes from the last row: b did not fit, a was never tried.
    EXPECT_TRUE(recorder.Arrived.empty());
    EXPECT_FALSE(Exists(FHandheld + "M4V00001.MP4"));
    EXPECT_TRUE(Exists(FComputer + "a.mp4"));
    EXPECT_TRUE(Exists(FComputer + "b.mp4"));
}

TEST(BatchSnapshot, RoomAndFileSystemLimits)
{
    TBatchSnapshot snapshot;
    TBatchItem big;
    big.Info.FullPath = "/pc/big.mp4";
    big.Info.Size = 4294967296.0;
    AddToSnapshot(snapshot, TBatchItem{});
    AddToSnapshot(snapshot, big);

    EXPECT_TRUE(HasRoomFor(4294967296.0, 4294967296.0));
    EXPECT_FALSE(HasRoomFor(1, -1));
    ASSERT_NE(FirstTooLargeFor(snapshot, "vfat"), nullptr);
    EXPECT_EQ(FirstTooLargeFor(snapshot, "vfat")->FullPath, "/pc/big.mp4");
    EXPECT_EQ(FirstTooLargeFor(snapshot, "exfat"), nullptr);
    snapshot.Items[1].Info.Size = 4294967295.0;
    EXPECT_EQ(FirstTooLargeFor(snapshot, "msdos"), nullptr);
}

namespace {

std::vector<std::string> EntriesOf(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST_F(TransferTest, ACopyUnderWayHasNoRealNameUntilItIsWholeAndLeavesNoStagedFile)
{
    TRecorder recorder;
    std::vector<std::string> seenMidway;
    recorder.Copier.OnProgress = [&](int, const std::string&) {
        if (seenMidway.empty())
            seenMidway = EntriesOf(FHandheld);
    };
    int highest = 0;

    const TBatchResult result = recorder.Run(TTransferWay::ToHandheld, TTransferKind::Copy, FHandheld,
                                             Snapshot({ComputerVideo(FComputer, "a.mp4", 3 << 20, false, 0)}), &highest);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Done);
    // Killed at that moment, the folder would hold no cut-off M4V00001.MP4.
    ASSERT_EQ(seenMidway.size(), 1u);
    EXPECT_EQ(seenMidway[0].rfind(".vantrel-partial-", 0), 0u) << seenMidway[0];
    EXPECT_EQ(EntriesOf(FHandheld), (std::vector<std::string>{"M4V00001.MP4"}));
}

TEST_F(TransferTest, LeftoversOfKilledCopiesGoWithTheNextTransferButACopyUnderWayStays)
{
    fs::create_directories(FHandheld);
    WriteFile(FHandheld + ".vantrel-partial-0123456789abcdef", "cut off by a kill");
    WriteFile(FHandheld + ".vantrel-partial-fedcba9876543210", "another process is writing this");
    const platform::FileDescriptor held(::open((FHandheld + ".vantrel-partial-fedcba9876543210").c_str(), O_RDONLY));
    ASSERT_EQ(::flock(held.Get(), LOCK_EX), 0);
    TRecorder recorder;
    int highest = 0;

    const TBatchResult result = recorder.Run(TTransferWay::ToHandheld, TTransferKind::Copy, FHandheld,
                                             Snapshot({ComputerVideo(FComputer, "a.mp4", 100, false, 0)}), &highest);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Done);
    EXPECT_EQ(EntriesOf(FHandheld),
              (std::vector<std::string>{".vantrel-partial-fedcba9876543210", "M4V00001.MP4"}));
}

TEST_F(TransferTest, StopAfterTheFolderWasSwappedCleansTheFolderTheCopyWentTo)
{
    // As after a lazy unmount: the path now names another folder, and the
    // copy's partial file sits in the one it opened at the start.
    TRecorder recorder;
    const std::string moved = FRoot / "moved/";
    bool swapped = false;
    recorder.Copier.OnProgress = [&](int, const std::string&) {
        if (!swapped) {
            fs::rename(FHandheld, moved);
            fs::create_directories(FHandheld);
            swapped = true;
        }
    };
    recorder.Hooks.ShouldStop = [&swapped] { return swapped; };
    int highest = 0;

    const TBatchResult result = recorder.Run(TTransferWay::ToHandheld, TTransferKind::Copy, FHandheld,
                                             Snapshot({ComputerVideo(FComputer, "a.mp4", 3 << 20, false, 0)}), &highest);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Stopped);
    EXPECT_EQ(EntriesOf(moved), std::vector<std::string>{});
    EXPECT_EQ(EntriesOf(FHandheld), std::vector<std::string>{});
}

TEST_F(TransferTest, AThumbnailTwoVideosShareStaysUntilTheLastOfThemMoves)
{
    TBatchItem lower = ComputerVideo(FComputer, "a.mp4", 100, true, 0);
    TBatchItem upper = ComputerVideo(FComputer, "a.MP4", 200, false, 1);
    upper.Info.ThumbPath = lower.Info.ThumbPath;  // both rows show a.THM
    upper.Info.ThumbSize = lower.Info.ThumbSize;
    upper.Info.NoThumb = false;
    int highest = 0;

    TRecorder first;
    ASSERT_EQ(first.Run(TTransferWay::ToHandheld, TTransferKind::Move, FHandheld, Snapshot({lower}), &highest).Outcome,
              TBatchOutcome::Done);
    EXPECT_FALSE(Exists(FComputer + "a.mp4"));
    EXPECT_EQ(ReadFile(FComputer + "a.THM"), "thumb of a.mp4");
    EXPECT_EQ(ReadFile(FHandheld + "M4V00001.THM"), "thumb of a.mp4");

    TRecorder second;
    ASSERT_EQ(second.Run(TTransferWay::ToHandheld, TTransferKind::Move, FHandheld, Snapshot({upper}), &highest).Outcome,
              TBatchOutcome::Done);
    EXPECT_EQ(ReadFile(FHandheld + "M4V00002.THM"), "thumb of a.mp4");
    EXPECT_EQ(EntriesOf(FComputer), std::vector<std::string>{});
}

TEST_F(TransferTest, AMoveBackDeletesNothingOnAHandheldThatWasUnplugged)
{
    fs::create_directories(FHandheld);
    TBatchItem video = ComputerVideo(FHandheld, "M4V00001.MP4", 100, true, 0);
    const std::string mountTable = FRoot / "mountinfo";
    const std::string drive = FRoot / "psp";
    WriteFile(mountTable, "36 35 98:0 / " + drive + " rw - vfat /dev/sdz1 rw\n");
    setenv("VANTREL_MOUNTINFO", mountTable.c_str(), 1);
    TRecorder recorder;
    recorder.Hooks.Report = [&](double, const std::string&) { WriteFile(mountTable, ""); };  // unplugged
    recorder.Progress.Start(video.Info.Size, 1);

    const TBatchResult result =
        RunTransfer(TTransferRequest{TTransferWay::ToComputer, TTransferKind::Move, FComputer, nullptr, {}, drive},
                    Snapshot({video}), recorder.Copier, recorder.Progress, recorder.Hooks);
    unsetenv("VANTREL_MOUNTINFO");

    EXPECT_EQ(result.Stayed, (std::vector<std::string>{video.Info.FullPath}));
    EXPECT_TRUE(Exists(video.Info.FullPath));
    EXPECT_TRUE(Exists(video.Info.ThumbPath));
    EXPECT_TRUE(recorder.RemovedRows.empty());
}

TEST_F(TransferTest, AVideoWithoutAThumbnailArrivesWithOneMadeFromItsPictures)
{
    // A real video without a thumbnail, shown with the pane's default
    // picture, copied and then moved.
    TBatchItem video = ComputerVideo(FComputer, "phone.mp4", 0, false, 0);
    MakeClip(video.Info.FullPath, {"-f", "lavfi", "-i", "testsrc2=s=320x240:r=10:d=2", "-c:v", "libx264",
                                   "-preset", "veryfast", "-pix_fmt", "yuv420p"});
    video.Info.Size = static_cast<double>(fs::file_size(video.Info.FullPath));
    const std::string defaultPicture = FRoot / "default.THM";
    CopyBytes(ThumbnailPicture(), defaultPicture);
    video.Info.ThumbPath = defaultPicture;
    int highest = 0;

    TRecorder copying;
    ASSERT_EQ(copying.Run(TTransferWay::ToHandheld, TTransferKind::Copy, FHandheld, Snapshot({video}), &highest).Outcome,
              TBatchOutcome::Done);
    const TFileInfo& arrived = copying.Records.at(0);
    EXPECT_FALSE(arrived.NoThumb);
    EXPECT_EQ(arrived.ThumbPath, FHandheld + "M4V00001.THM");
    EXPECT_EQ(arrived.ThumbSize, static_cast<std::int64_t>(fs::file_size(arrived.ThumbPath)));
    // A picture the pane can show, not the placeholder.
    const std::optional<TThumbnail> picture = DecodeThumbnail(arrived.ThumbPath);
    ASSERT_TRUE(picture.has_value());
    EXPECT_NE(picture->Pixels, TThumbnail::Placeholder().Pixels);
    // The computer folder is only read.
    EXPECT_EQ(EntriesOf(FComputer), std::vector<std::string>{"phone.mp4"});

    TRecorder moving;
    ASSERT_EQ(moving.Run(TTransferWay::ToHandheld, TTransferKind::Move, FHandheld, Snapshot({video}), &highest).Outcome,
              TBatchOutcome::Done);
    EXPECT_TRUE(Exists(FHandheld + "M4V00002.THM"));
    EXPECT_FALSE(Exists(video.Info.FullPath));
    // The default picture the row showed was never the video's own.
    EXPECT_EQ(ReadFile(defaultPicture), ReadFile(ThumbnailPicture()));
}

TEST_F(TransferTest, VideosComingBackGetNoMadeThumbnail)
{
    fs::create_directories(FHandheld);
    TBatchItem video = ComputerVideo(FHandheld, "M4V00001.MP4", 0, false, 0);
    CopyBytes(HandheldVideo(), video.Info.FullPath);
    video.Info.Size = static_cast<double>(fs::file_size(video.Info.FullPath));
    TRecorder recorder;
    ASSERT_EQ(recorder.Run(TTransferWay::ToComputer, TTransferKind::Copy, FComputer, Snapshot({video})).Outcome,
              TBatchOutcome::Done);
    EXPECT_EQ(EntriesOf(FComputer), std::vector<std::string>{"M4V00001.MP4"});
}

namespace {

// A real video the handheld will not play (H.264 High, 640 x 360).
TBatchItem PhoneVideo(const std::string& folder, const std::string& name, const std::string& seconds)
{
    TBatchItem item = ComputerVideo(folder, name, 0, false, 0);
    MakeClip(item.Info.FullPath, {"-f", "lavfi", "-i", "testsrc2=s=640x360:r=30:d=" + seconds, "-f", "lavfi", "-i",
                                  "sine=duration=" + seconds, "-c:v", "libx264", "-preset", "ultrafast",
                                  "-profile:v", "high", "-pix_fmt", "yuv420p", "-c:a", "aac"});
    item.Info.Size = static_cast<double>(fs::file_size(item.Info.FullPath));
    return item;
}

} // namespace

TEST_F(TransferTest, APlannedVideoIsConvertedAndAMoveDeletesItsSourceOnlyOnceTheConversionIsDone)
{
    TBatchSnapshot snapshot = Snapshot({PhoneVideo(FComputer, "phone.mp4", "1")});
    ASSERT_EQ(UnplayableItems(snapshot), std::vector<std::size_t>{0});
    PlanConversions(snapshot, UnplayableItems(snapshot));
    ASSERT_TRUE(snapshot.Items[0].Convert);
    EXPECT_EQ(snapshot.NeededBytes, snapshot.Items[0].ConvertedSize);
    TRecorder recorder;
    std::vector<std::string> statusTexts;
    double reported = 0;
    recorder.Hooks.Report = [&](double units, const std::string& path) {
        reported += units;
        if (recorder.Progress.Report(units, path))
            statusTexts.push_back(recorder.Progress.StatusText());
        // The source is still there while its conversion runs.
        EXPECT_TRUE(Exists(FComputer + "phone.mp4"));
    };
    int highest = 0;

    const TBatchResult result = recorder.Run(TTransferWay::ToHandheld, TTransferKind::Move, FHandheld, snapshot, &highest);

    ASSERT_EQ(result.Outcome, TBatchOutcome::Done) << result.FailureText;
    const std::string converted = FHandheld + "M4V00001.MP4";
    EXPECT_TRUE(media::CheckPlayability(converted).Plays());
    EXPECT_EQ(statusTexts, std::vector<std::string>{"Converting (1/1):phone.mp4"});
    EXPECT_DOUBLE_EQ(reported, snapshot.Items[0].ConvertedSize);
    const TFileInfo& record = recorder.Records.at(0);
    EXPECT_EQ(record.Size, static_cast<double>(fs::file_size(converted)));
    EXPECT_EQ(record.Title, "phone");
    EXPECT_TRUE(Exists(FHandheld + "M4V00001.THM"));
    EXPECT_FALSE(Exists(FComputer + "phone.mp4"));
    EXPECT_EQ(recorder.RemovedRows, std::vector<int>{0});
}

TEST_F(TransferTest, AConversionWaitsForTheVideoBeforeItSoThatItsFailureLeavesNothingOfIt)
{
    // A conversion names its own file: it may not start while the copy
    // before it can still fail (here its name is taken while it copies).
    TBatchSnapshot snapshot =
        Snapshot({ComputerVideo(FComputer, "a.mp4", 100, true, 0), PhoneVideo(FComputer, "phone.mp4", "1")});
    PlanConversions(snapshot, UnplayableItems(snapshot));
    ASSERT_TRUE(snapshot.Items[1].Convert);
    TRecorder recorder;
    recorder.Copier.OnProgress = [this](int, const std::string& source) {
        if (source == FComputer + "a.mp4" && !Exists(FHandheld + "M4V00001.MP4"))
            WriteFile(FHandheld + "M4V00001.MP4", "another program's file");
    };
    int highest = 0;

    const TBatchResult result = recorder.Run(TTransferWay::ToHandheld, TTransferKind::Copy, FHandheld, snapshot, &highest);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Failed);
    EXPECT_EQ(result.FailurePath, FHandheld + "M4V00001.MP4");
    EXPECT_TRUE(recorder.Arrived.empty());
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(FHandheld))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, (std::vector<std::string>{"M4V00001.MP4"}));
}

TEST_F(TransferTest, AStopWhileAVideoConvertsLeavesNothingAndKeepsTheSource)
{
    TBatchSnapshot snapshot = Snapshot({PhoneVideo(FComputer, "long.mp4", "8")});
    PlanConversions(snapshot, {0});
    TRecorder recorder;
    bool stop = false;
    recorder.Hooks.Report = [&](double, const std::string&) { stop = true; };
    recorder.Hooks.ShouldStop = [&] { return stop; };

    const TBatchResult result = recorder.Run(TTransferWay::ToHandheld, TTransferKind::Move, FHandheld, snapshot);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Stopped);
    EXPECT_EQ(EntriesOf(FHandheld), std::vector<std::string>{});
    EXPECT_TRUE(Exists(FComputer + "long.mp4"));
    EXPECT_TRUE(recorder.Arrived.empty());
}

TEST_F(TransferTest, AHandheldUnpluggedWhileAVideoConvertsFailsTheBatchAndKeepsTheSource)
{
    TBatchSnapshot snapshot = Snapshot({PhoneVideo(FComputer, "long.mp4", "8")});
    PlanConversions(snapshot, {0});
    const std::string mountTable = FRoot / "mountinfo";
    const std::string drive = FRoot / "psp";
    WriteFile(mountTable, "36 35 98:0 / " + drive + " rw - vfat /dev/sdz1 rw\n");
    setenv("VANTREL_MOUNTINFO", mountTable.c_str(), 1);
    TRecorder recorder;
    recorder.Hooks.Report = [&](double, const std::string&) { WriteFile(mountTable, ""); };  // pulled out
    recorder.Progress.Start(snapshot.NeededBytes, 1);
    int highest = 0;

    const TBatchResult result =
        RunTransfer(TTransferRequest{TTransferWay::ToHandheld, TTransferKind::Move, FHandheld, &highest, drive, {}},
                    snapshot, recorder.Copier, recorder.Progress, recorder.Hooks);
    unsetenv("VANTREL_MOUNTINFO");

    EXPECT_EQ(result.Outcome, TBatchOutcome::Failed);
    EXPECT_EQ(result.Error, ENODEV);
    EXPECT_EQ(result.FailurePath, FHandheld + "M4V00001.MP4");
    EXPECT_EQ(EntriesOf(FHandheld), std::vector<std::string>{});
    EXPECT_TRUE(Exists(FComputer + "long.mp4"));
    EXPECT_TRUE(recorder.Arrived.empty());
}
