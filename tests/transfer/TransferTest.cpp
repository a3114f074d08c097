// The transfer engine on real files: copies and moves both ways with and
// without thumbnails, the remembered computer name, failures part-way,
// sources that cannot be deleted, and stopping.

#include "transfer/Transfer.h"

#include "tests/catalogue/TestFolders.h"
#include "transfer/TargetNames.h"

#include <gtest/gtest.h>

#include <filesystem>

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
        return RunTransfer(TTransferRequest{way, kind, folder, highest, {}}, snapshot, Copier, Progress, Hooks);
    }
};

class TransferTest : public ::testing::Test {
protected:
    TempFolder FRoot;
    std::string FComputer = FRoot / "pc/";
    std::string FHandheld = HandheldVideoFolder(FRoot / "psp");

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
    second.Run(TTransferWay::ToComputer, TTransferKind::Copy, back, Snapshot({onHandheld, onHandheld}));
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

    recorder.Run(TTransferWay::ToHandheld, TTransferKind::Move, FHandheld,
                 Snapshot({ComputerVideo(FComputer, "a.mp4", 100, true, 0)}), &highest);

    ASSERT_EQ(recorder.Records.size(), 1u);
    EXPECT_TRUE(recorder.Records[0].NoThumb);
    EXPECT_EQ(recorder.Reports, (std::vector<std::string>{""}));
    EXPECT_EQ(ReadFile(FHandheld + "M4V00001.THM"), "stray");
    EXPECT_FALSE(Exists(FComputer + "a.mp4"));
    // The thumbnail did not travel, so the computer keeps it.
    EXPECT_TRUE(Exists(FComputer + "a.THM"));
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
    recorder.Hooks.ShouldStop = [&recorder] { return recorder.Arrived.size() == 1; };
    int highest = 0;

    const TBatchResult result = recorder.Run(
        TTransferWay::ToHandheld, TTransferKind::Move, FHandheld,
        Snapshot({ComputerVideo(FComputer, "a.mp4", 100, false, 0), ComputerVideo(FComputer, "b.mp4", 100, false, 1)}),
        &highest);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Stopped);
    EXPECT_EQ(recorder.RemovedRows, (std::vector<int>{1}));
    EXPECT_TRUE(Exists(FComputer + "a.mp4"));
    EXPECT_TRUE(recorder.Boxes.empty());
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
