// Deleting handheld videos with their thumbnails.

#include "transfer/Deletion.h"

#include "tests/catalogue/TestFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

TBatchItem HandheldVideo(const std::string& folder, int row, bool withThumb)
{
    TBatchItem item;
    item.Row = row;
    item.Info.FileName = "M4V0000" + std::to_string(row) + ".MP4";
    item.Info.FullPath = folder + item.Info.FileName;
    WriteFile(item.Info.FullPath, "video");
    if (withThumb) {
        item.Info.ThumbPath = folder + "M4V0000" + std::to_string(row) + ".THM";
        WriteFile(item.Info.ThumbPath, "thumb");
        item.Info.NoThumb = false;
    }
    return item;
}

struct TDeletionRecorder {
    TBatchProgress Progress;
    TDeletionHooks Hooks;
    std::vector<int> Deleted;
    std::vector<std::string> Status;
    std::vector<int> Percents;

    TDeletionRecorder()
    {
        Hooks.Deleted = [this](const TBatchItem& item) { Deleted.push_back(item.Row); };
        Hooks.Report = [this](double units, const std::string& path) {
            Progress.Report(units, path);
            Status.push_back(Progress.StatusText());
            Percents.push_back(Progress.Percent());
        };
    }

    TBatchResult Run(const TBatchSnapshot& snapshot)
    {
        const int count = static_cast<int>(snapshot.Items.size());
        Progress.Start(count, count);
        return RunDeletion(snapshot, Progress, Hooks);
    }
};

} // namespace

TEST(Deletion, DeletesFromTheLastRowWithThumbnailsAndCountsFiles)
{
    TempFolder folder;
    TBatchSnapshot snapshot;
    AddToSnapshot(snapshot, HandheldVideo(folder.Path(), 1, true));
    AddToSnapshot(snapshot, HandheldVideo(folder.Path(), 3, false));
    AddToSnapshot(snapshot, HandheldVideo(folder.Path(), 4, true));
    TDeletionRecorder recorder;

    const TBatchResult result = recorder.Run(snapshot);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Done);
    EXPECT_EQ(recorder.Deleted, (std::vector<int>{4, 3, 1}));
    EXPECT_EQ(recorder.Status, (std::vector<std::string>{"File Name(1/3):M4V00004.MP4", "File Name(2/3):M4V00003.MP4",
                                                         "File Name(3/3):M4V00001.MP4"}));
    EXPECT_EQ(recorder.Percents, (std::vector<int>{33, 67, 100}));
    for (const char* gone : {"M4V00001.MP4", "M4V00001.THM", "M4V00003.MP4", "M4V00004.MP4", "M4V00004.THM"})
        EXPECT_FALSE(Exists(folder / gone)) << gone;
}

TEST(Deletion, VideoThatCannotBeDeletedKeepsItsRowAndThumbnail)
{
    TempFolder folder;
    ScratchMedium medium(folder / "psp");
    if (!medium.Mounted())
        GTEST_SKIP() << medium.Problem();
    TBatchSnapshot snapshot;
    AddToSnapshot(snapshot, HandheldVideo(medium.Path() + "/", 1, true));
    ASSERT_TRUE(medium.MakeReadOnly());
    TDeletionRecorder recorder;

    const TBatchResult result = recorder.Run(snapshot);

    EXPECT_TRUE(recorder.Deleted.empty());
    EXPECT_EQ(result.Stayed, (std::vector<std::string>{medium.Path() + "/M4V00001.MP4"}));
    EXPECT_TRUE(Exists(medium.Path() + "/M4V00001.THM"));
}

TEST(Deletion, AlreadyVanishedFileCountsAsDeletedAndStopIsHeard)
{
    TempFolder folder;
    TBatchSnapshot snapshot;
    AddToSnapshot(snapshot, HandheldVideo(folder.Path(), 1, false));
    AddToSnapshot(snapshot, HandheldVideo(folder.Path(), 2, false));
    std::remove((folder / "M4V00002.MP4").c_str());
    TDeletionRecorder recorder;
    recorder.Hooks.ShouldStop = [&recorder] { return !recorder.Deleted.empty(); };

    const TBatchResult result = recorder.Run(snapshot);

    EXPECT_EQ(result.Outcome, TBatchOutcome::Stopped);
    EXPECT_EQ(recorder.Deleted, (std::vector<int>{2}));
    EXPECT_TRUE(Exists(folder / "M4V00001.MP4"));
}

TEST(Deletion, AThumbnailAnotherVideoShowsStaysWithIt)
{
    TempFolder folder;
    TBatchItem lower = HandheldVideo(folder.Path(), 1, true);
    TBatchItem upper = lower;
    upper.Row = 2;
    upper.Info.FileName = "m4v00001.mp4";
    upper.Info.FullPath = folder / "m4v00001.mp4";
    WriteFile(upper.Info.FullPath, "twin");
    TBatchSnapshot first;
    AddToSnapshot(first, lower);
    TDeletionRecorder recorder;

    EXPECT_EQ(recorder.Run(first).Outcome, TBatchOutcome::Done);
    EXPECT_FALSE(Exists(lower.Info.FullPath));
    EXPECT_TRUE(Exists(lower.Info.ThumbPath));

    TBatchSnapshot second;
    AddToSnapshot(second, upper);
    EXPECT_EQ(recorder.Run(second).Outcome, TBatchOutcome::Done);
    EXPECT_FALSE(Exists(lower.Info.ThumbPath));
}

TEST(Deletion, NothingIsDeletedOnceTheHandheldLeftTheMountTable)
{
    TempFolder folder;
    const std::string mountTable = folder / "mountinfo";
    const std::string drive = folder / "psp";
    const std::string videos = drive + "/MP_ROOT/100MNV01/";
    std::filesystem::create_directories(videos);
    TBatchSnapshot snapshot;
    AddToSnapshot(snapshot, HandheldVideo(videos, 1, true));
    AddToSnapshot(snapshot, HandheldVideo(videos, 2, true));
    WriteFile(mountTable, "36 35 98:0 / " + drive + " rw - vfat /dev/sdz1 rw\n");
    setenv("VANTREL_MOUNTINFO", mountTable.c_str(), 1);
    TDeletionRecorder recorder;
    recorder.Hooks.Deleted = [&](const TBatchItem& item) {
        recorder.Deleted.push_back(item.Row);
        WriteFile(mountTable, "");  // unplugged after the first deletion
    };
    recorder.Progress.Start(2, 2);

    const TBatchResult result = RunDeletion(snapshot, recorder.Progress, recorder.Hooks, drive);
    unsetenv("VANTREL_MOUNTINFO");

    EXPECT_EQ(result.Outcome, TBatchOutcome::Failed);
    EXPECT_EQ(result.FailurePath, videos + "M4V00001.MP4");
    EXPECT_EQ(recorder.Deleted, (std::vector<int>{2}));
    EXPECT_TRUE(Exists(videos + "M4V00001.MP4"));
    EXPECT_TRUE(Exists(videos + "M4V00001.THM"));
}
