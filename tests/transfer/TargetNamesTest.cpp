// Where transferred videos land: handheld names around existing and
// stray files, the wrap after 99999, and the names on the way back.

#include "catalogue/HandheldFolder.h"
#include "transfer/TargetNames.h"
#include "tests/catalogue/TestFolders.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

void Touch(const std::string& path)
{
    WriteFile(path, "x");
}

} // namespace

TEST(HandheldFolderNextFreeVideo, CountsOnFromTheHighestNumberAndSkipsNamesTakenSinceTheScan)
{
    TempFolder folder;
    Touch(folder / "M4V00042.MP4");
    int highest = 41;

    EXPECT_EQ(THandheldFolder(folder.Path()).NextFreeVideo(highest), folder / "M4V00043.MP4");
    EXPECT_EQ(highest, 43);
    // The name handed out is not created by the allocation itself.
    EXPECT_EQ(THandheldFolder(folder.Path()).NextFreeVideo(highest), folder / "M4V00044.MP4");
    EXPECT_EQ(highest, 44);
}

TEST(HandheldFolderNextFreeVideo, NamesDifferingOnlyInCaseAndFoldersCountAsTaken)
{
    TempFolder folder;
    Touch(folder / "m4v00001.mp4");
    std::filesystem::create_directory(folder / "M4V00002.MP4");
    // Only the video name counts: a stray thumbnail does not take a number.
    Touch(folder / "M4V00003.THM");
    int highest = 0;

    EXPECT_EQ(THandheldFolder(folder.Path()).NextFreeVideo(highest), folder / "M4V00003.MP4");
}

TEST(HandheldFolderNextFreeVideo, WrapsFrom99999ToOneAndGivesUpWhenEveryNumberIsTaken)
{
    TempFolder folder;
    int highest = 99999;
    EXPECT_EQ(THandheldFolder(folder.Path()).NextFreeVideo(highest), folder / "M4V00001.MP4");

    for (int number = 1; number <= 99999; ++number)
        Touch(folder / THandheldFolder::VideoName(number));
    highest = 500;
    EXPECT_EQ(THandheldFolder(folder.Path()).NextFreeVideo(highest), std::nullopt);
    EXPECT_EQ(highest, 500);

    std::filesystem::remove(folder / "M4V00007.MP4");
    EXPECT_EQ(THandheldFolder(folder.Path()).NextFreeVideo(highest), folder / "M4V00007.MP4");
    EXPECT_EQ(highest, 7);
}

TEST(HandheldFolderNextFreeVideo, MissingFolderHasEveryNameFree)
{
    TempFolder folder;
    int highest = 0;
    EXPECT_EQ(THandheldFolder(folder / "MP_ROOT/100MNV01/").NextFreeVideo(highest), folder / "MP_ROOT/100MNV01/M4V00001.MP4");
}

TEST(HandheldFolderHighestNumber, ReadsTheHandheldNamesOfAFolder)
{
    TempFolder folder;
    EXPECT_EQ(THandheldFolder(folder.Path()).HighestNumber(), 0);
    Touch(folder / "M4V00012.MP4");
    Touch(folder / "m4v00300.mp4");
    Touch(folder / "M4V99999.THM");
    Touch(folder / "holiday.mp4");
    EXPECT_EQ(THandheldFolder(folder.Path()).HighestNumber(), 300);
}

TEST(PcTargetName, PrefersTheRememberedNameThenTheHandheldNameThenNumberedOnes)
{
    TempFolder folder;
    const std::string& to = folder.Path();

    EXPECT_EQ(PcTargetName(to, "M4V00012.MP4", "holiday.mp4"), to + "holiday.mp4");
    Touch(to + "holiday.mp4");
    EXPECT_EQ(PcTargetName(to, "M4V00012.MP4", "holiday.mp4"), to + "M4V00012.MP4");
    Touch(to + "M4V00012.MP4");
    EXPECT_EQ(PcTargetName(to, "M4V00012.MP4", "holiday.mp4"), to + "M4V00012_0.MP4");
    Touch(to + "M4V00012_0.MP4");
    EXPECT_EQ(PcTargetName(to, "M4V00012.MP4", "holiday.mp4"), to + "M4V00012_1.MP4");
}

TEST(PcTargetName, BlankRememberedNameCountsAsNoneAndStemCaseIsKept)
{
    TempFolder folder;
    const std::string& to = folder.Path();
    EXPECT_EQ(PcTargetName(to, "M4V00012.MP4", " \t "), to + "M4V00012.MP4");

    Touch(to + "m4v00003.mp4");
    EXPECT_EQ(PcTargetName(to, "m4v00003.mp4", ""), to + "m4v00003_0.MP4");
}

TEST(PcTargetName, NamesSpeltWithOtherCaseAreTaken)
{
    // Two names one FAT medium, or a case-blind share, would take as one.
    TempFolder folder;
    const std::string& to = folder.Path();
    Touch(to + "m4v00012.mp4");
    Touch(to + "HOLIDAY.MP4");
    Touch(to + "m4v00012_0.Mp4");

    EXPECT_EQ(PcTargetName(to, "M4V00012.MP4", "holiday.mp4"), to + "M4V00012_1.MP4");
}

TEST(ThumbnailPathFor, ReplacesTheExtensionOfTheNameOnly)
{
    EXPECT_EQ(ThumbnailPathFor("/a/M4V00001.MP4"), "/a/M4V00001.THM");
    EXPECT_EQ(ThumbnailPathFor("/a.b/clip"), "/a.b/clip.THM");
    EXPECT_EQ(THandheldFolder::OnDrive("/media/psp").Path(), "/media/psp/MP_ROOT/100MNV01/");
    EXPECT_EQ(THandheldFolder::OnDrive("/media/psp/").Path(), "/media/psp/MP_ROOT/100MNV01/");
}
