// The folder scan on real folders with FFmpeg-made handheld videos.

#include "catalogue/PSPTitle.h"
#include "catalogue/uClass.h"
#include "tests/catalogue/TestFolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Every case runs twice: a scan that describes each video as it lists it,
// and one that lists names only, each record described afterwards.
class ScanFolder : public ::testing::TestWithParam<bool> {
protected:
    static void SetUpTestSuite() { PSPTitle::CreateLibrary(); }
    static void TearDownTestSuite() { PSPTitle::DestroyLibrary(); }

    ScanFolder()
    {
        Scanner.VideoExt = ".MP4";
        Scanner.ThumbExt = ".THM";
        Scanner.DescribeLater = GetParam();
        Scanner.OnFile = [this](const TFileInfo& info) {
            TFileInfo record = info;
            EXPECT_EQ(record.Listing != nullptr, Scanner.DescribeLater);
            DescribeListed(record);
            EXPECT_EQ(record.Listing, nullptr);
            Found.push_back(std::move(record));
        };
    }

    // Scans without tracking; the records by file name.
    std::map<std::string, TFileInfo> Scan(const std::string& folder)
    {
        int highest = 0;
        Count = Scanner.ScanFolder(folder, highest, false);
        std::map<std::string, TFileInfo> byName;
        for (const TFileInfo& info : Found)
            byName[info.FileName] = info;
        return byName;
    }

    void AddVideo(const std::string& name) { CopyBytes(HandheldVideo(), Folder / name); }

    TempFolder Folder;
    TListFiles Scanner;
    std::vector<TFileInfo> Found;
    int Count = -1;
};

} // namespace

TEST_P(ScanFolder, HandheldVideoGivesAFullRecord)
{
    AddVideo("clip.mp4");
    CopyBytes(ThumbnailPicture(), Folder / "clip.THM");

    const auto records = Scan(Folder.Path());

    ASSERT_EQ(Count, 1);
    const TFileInfo& clip = records.at("clip.mp4");
    EXPECT_TRUE(clip.HasTitle);
    EXPECT_EQ(clip.Title, "T");
    EXPECT_EQ(clip.FullPath, Folder / "clip.mp4");
    EXPECT_EQ(clip.Size, static_cast<double>(fs::file_size(HandheldVideo())));
    EXPECT_EQ(clip.ThumbPath, Folder / "clip.THM");
    EXPECT_EQ(clip.ThumbSize, static_cast<std::int64_t>(fs::file_size(ThumbnailPicture())));
    EXPECT_FALSE(clip.NoThumb);
    EXPECT_TRUE(clip.NewPath.empty());
}

TEST_P(ScanFolder, FolderWithoutTrailingSlashGetsOne)
{
    AddVideo("clip.mp4");
    std::string bare = Folder.Path();
    bare.pop_back();

    const auto records = Scan(bare);

    EXPECT_EQ(records.at("clip.mp4").FullPath, Folder / "clip.mp4");
}

TEST_P(ScanFolder, VideoWithoutThumbnailHasNone)
{
    AddVideo("clip.mp4");
    Scanner.DefaultThumb = "";

    const auto records = Scan(Folder.Path());

    EXPECT_TRUE(records.at("clip.mp4").NoThumb);
    EXPECT_EQ(records.at("clip.mp4").ThumbPath, "");
    EXPECT_EQ(records.at("clip.mp4").ThumbSize, 0);
}

TEST_P(ScanFolder, BrokenVideoStillGivesARecordWithoutTitle)
{
    WriteFile(Folder / "broken.mp4", "this is not an MP4 file at all");
    const std::string video = ReadFile(HandheldVideo());
    WriteFile(Folder / "cut.mp4", video.substr(0, video.size() / 3));

    const auto records = Scan(Folder.Path());

    ASSERT_EQ(Count, 2);
    for (const char* name : {"broken.mp4", "cut.mp4"}) {
        EXPECT_FALSE(records.at(name).HasTitle) << name;
        EXPECT_EQ(records.at(name).Title, "") << name;
    }
    EXPECT_EQ(records.at("broken.mp4").Size, 30.0);
}

TEST_P(ScanFolder, ExtensionsMatchWithoutCaseAndOnlyAtTheEnd)
{
    for (const char* name : {"a.mp4", "b.Mp4", "C.MP4", "d.mp4.bak", "e.m4v", "mp4", "f.THM"})
        WriteFile(Folder / name, "x");

    const auto records = Scan(Folder.Path());

    EXPECT_EQ(Count, 3);
    EXPECT_EQ(records.size(), 3u);
    EXPECT_TRUE(records.count("a.mp4") && records.count("b.Mp4") && records.count("C.MP4"));
}

TEST_P(ScanFolder, HiddenFilesAndFoldersNamedLikeVideosAreListed)
{
    WriteFile(Folder / ".hidden.mp4", "x");
    fs::create_directory(Folder / "folder.mp4");

    const auto records = Scan(Folder.Path());

    ASSERT_EQ(Count, 2);
    EXPECT_EQ(records.count(".hidden.mp4"), 1u);
    EXPECT_EQ(records.at("folder.mp4").Size, 0.0);
    EXPECT_FALSE(records.at("folder.mp4").HasTitle);
}

TEST_P(ScanFolder, PipeNamedLikeAVideoIsListedWithoutBeingOpened)
{
    ASSERT_EQ(::mkfifo((Folder / "pipe.mp4").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((Folder / "pipe.THM").c_str(), 0644), 0);

    const auto records = Scan(Folder.Path());

    ASSERT_EQ(Count, 1);
    EXPECT_FALSE(records.at("pipe.mp4").HasTitle);
    EXPECT_TRUE(records.at("pipe.mp4").NoThumb);
}

TEST_P(ScanFolder, SizesPastFourGigabytesAreKeptWhole)
{
    // Sparse: takes no room on the disk.
    const std::string path = Folder / "huge.mp4";
    WriteFile(path, "");
    fs::resize_file(path, 5368709120ull + 17);

    const auto records = Scan(Folder.Path());

    EXPECT_EQ(records.at("huge.mp4").Size, 5368709137.0);
}

TEST_P(ScanFolder, SymbolicLinksCountWithTheirTarget)
{
    AddVideo("real.mp4");
    fs::create_symlink(Folder / "real.mp4", Folder / "link.mp4");
    fs::create_symlink(Folder / "gone.mp4.target", Folder / "dangling.mp4");

    const auto records = Scan(Folder.Path());

    ASSERT_EQ(Count, 3);
    EXPECT_TRUE(records.at("link.mp4").HasTitle);
    EXPECT_EQ(records.at("link.mp4").Size, records.at("real.mp4").Size);
    EXPECT_FALSE(records.at("dangling.mp4").HasTitle);
}

TEST_P(ScanFolder, ThumbnailIsFoundWithoutRegardToCase)
{
    WriteFile(Folder / "clip.mp4", "x");
    WriteFile(Folder / "clip.thm", "12345");
    WriteFile(Folder / "other.MP4", "x");
    WriteFile(Folder / "OTHER.Thm", "123");

    const auto records = Scan(Folder.Path());

    EXPECT_EQ(records.at("clip.mp4").ThumbPath, Folder / "clip.thm");
    EXPECT_EQ(records.at("clip.mp4").ThumbSize, 5);
    EXPECT_EQ(records.at("other.MP4").ThumbPath, Folder / "OTHER.Thm");
    EXPECT_FALSE(records.at("other.MP4").NoThumb);
}

TEST_P(ScanFolder, ExactThumbnailNameWinsOverOtherSpellings)
{
    WriteFile(Folder / "clip.mp4", "x");
    WriteFile(Folder / "CLIP.THM", "1");
    WriteFile(Folder / "clip.THM", "22");
    WriteFile(Folder / "clip.thm", "333");

    const auto records = Scan(Folder.Path());

    EXPECT_EQ(records.at("clip.mp4").ThumbPath, Folder / "clip.THM");
    EXPECT_EQ(records.at("clip.mp4").ThumbSize, 2);
}

TEST_P(ScanFolder, FolderNamedLikeTheThumbnailDoesNotCount)
{
    WriteFile(Folder / "clip.mp4", "x");
    fs::create_directory(Folder / "clip.THM");
    WriteFile(Folder / "solo.mp4", "x");
    fs::create_directory(Folder / "solo.THM");
    WriteFile(Folder / "solo.thm", "4444");

    const auto records = Scan(Folder.Path());

    EXPECT_TRUE(records.at("clip.mp4").NoThumb);
    EXPECT_EQ(records.at("solo.mp4").ThumbPath, Folder / "solo.thm");
}

TEST_P(ScanFolder, WriteTimeIsLocalAndYearFirst)
{
    WriteFile(Folder / "clip.mp4", "x");
    SetModified(Folder / "clip.mp4", 1138716309);  // 2006-01-31 14:05:09 UTC
    const char* saved = std::getenv("TZ");
    const std::string previous = saved ? saved : "";

    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    const std::string utc = Scan(Folder.Path()).at("clip.mp4").WriteTime;
    Found.clear();
    ::setenv("TZ", "JST-9", 1);
    ::tzset();
    const std::string tokyo = Scan(Folder.Path()).at("clip.mp4").WriteTime;

    if (saved)
        ::setenv("TZ", previous.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
    EXPECT_EQ(utc, "2006/01/31,14:05:09");
    EXPECT_EQ(tokyo, "2006/01/31,23:05:09");
}

TEST_P(ScanFolder, EmptyOrMissingFolderGivesNothing)
{
    WriteFile(Folder / "notes.txt", "x");
    int highest = 55;
    EXPECT_EQ(Scanner.ScanFolder(Folder.Path(), highest, true), 0);
    EXPECT_EQ(highest, 0);

    int idleTurns = 0;
    Scanner.OnIdle = [&] { ++idleTurns; };
    highest = 55;
    EXPECT_EQ(Scanner.ScanFolder(Folder / "missing/", highest, true), 0);
    EXPECT_EQ(highest, 0);
    EXPECT_EQ(Scanner.ScanFolder(Folder / "notes.txt", highest, true), 0);
    EXPECT_TRUE(Found.empty());
    EXPECT_EQ(idleTurns, 0);
}

TEST_P(ScanFolder, OneIdleTurnComesBeforeTheListing)
{
    WriteFile(Folder / "a.mp4", "x");
    WriteFile(Folder / "b.mp4", "x");
    std::vector<std::string> order;
    Scanner.OnIdle = [&] {
        order.push_back("idle");
        // What the window does meanwhile is seen by the listing.
        WriteFile(Folder / "c.mp4", "x");
    };
    Scanner.OnFile = [&](const TFileInfo&) { order.push_back("file"); };

    int highest = 0;
    EXPECT_EQ(Scanner.ScanFolder(Folder.Path(), highest, false), 3);

    EXPECT_EQ(order, (std::vector<std::string>{"idle", "file", "file", "file"}));
}

TEST_P(ScanFolder, HandheldFolderGivesCountAndHighestNumber)
{
    AddVideo("M4V00003.MP4");
    AddVideo("M4V00010.MP4");
    AddVideo("clip.MP4");
    int highest = -5;

    EXPECT_EQ(Scanner.ScanFolder(Folder.Path(), highest, true), 3);
    EXPECT_EQ(highest, 10);

    highest = 77;
    EXPECT_EQ(Scanner.ScanFolder(Folder.Path(), highest, false), 3);
    EXPECT_EQ(highest, 77);
}

TEST_P(ScanFolder, ErrorInsideTheHandlerEndsTheScanAndKeepsEarlierEvents)
{
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4"})
        WriteFile(Folder / name, "x");
    int calls = 0;
    Scanner.OnFile = [&](const TFileInfo&) {
        if (++calls == 2)
            throw std::runtime_error("row builder fault");
    };
    int highest = 0;

    EXPECT_THROW((void)Scanner.ScanFolder(Folder.Path(), highest, false), std::runtime_error);
    EXPECT_EQ(calls, 2);
}

TEST_P(ScanFolder, WorkingRecordIsRefilledForEveryEntry)
{
    AddVideo("titled.mp4");
    CopyBytes(ThumbnailPicture(), Folder / "titled.THM");
    WriteFile(Folder / "plain.mp4", "x");
    std::vector<const TFileInfo*> addresses;
    Scanner.OnFile = [&](const TFileInfo& info) {
        addresses.push_back(&info);
        Found.push_back(info);
    };

    const auto records = Scan(Folder.Path());

    ASSERT_EQ(addresses.size(), 2u);
    EXPECT_EQ(addresses[0], addresses[1]);
    const TFileInfo& plain = records.at("plain.mp4");
    EXPECT_FALSE(plain.HasTitle);
    EXPECT_EQ(plain.Title, "");
    EXPECT_TRUE(plain.NoThumb);
    EXPECT_EQ(plain.ThumbSize, 0);
}

INSTANTIATE_TEST_SUITE_P(DescribedAtOnceOrLater, ScanFolder, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Later" : "AtOnce"; });

// A scan that lists names only.
class ListingScan : public ScanFolder {};
INSTANTIATE_TEST_SUITE_P(Later, ListingScan, ::testing::Values(true));

TEST_P(ListingScan, ReadsTheFactsWhenTheRecordIsDescribed)
{
    AddVideo("clip.mp4");
    WriteFile(Folder / "CLIP.thm", "x");
    AddVideo("gone.mp4");
    std::vector<TFileInfo> listed;
    Scanner.OnFile = [&](const TFileInfo& info) { listed.push_back(info); };
    int highest = 0;
    ASSERT_EQ(Scanner.ScanFolder(Folder.Path(), highest, false), 2);
    std::sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) { return a.FileName < b.FileName; });

    // Nothing of the files was read: what happens to them after the scan
    // is what the records show (which files there are is the listing's).
    for (const TFileInfo& record : listed) {
        EXPECT_FALSE(record.HasTitle);
        EXPECT_EQ(record.Size, 0.0);
        EXPECT_EQ(record.FullPath, Folder / record.FileName);
    }
    CopyBytes(ThumbnailPicture(), Folder / "CLIP.thm");
    fs::remove(Folder / "gone.mp4");

    TFileInfo clip = listed[0];
    DescribeListed(clip);
    EXPECT_TRUE(clip.HasTitle);
    EXPECT_EQ(clip.Title, "T");
    EXPECT_EQ(clip.Size, static_cast<double>(fs::file_size(HandheldVideo())));
    EXPECT_EQ(clip.ThumbPath, Folder / "CLIP.thm");
    EXPECT_EQ(clip.ThumbSize, static_cast<std::int64_t>(fs::file_size(ThumbnailPicture())));
    EXPECT_FALSE(clip.NoThumb);

    TFileInfo gone = listed[1];
    DescribeListed(gone);
    EXPECT_EQ(gone.FileName, "gone.mp4");
    EXPECT_FALSE(gone.HasTitle);
    EXPECT_EQ(gone.Size, 0.0);
    EXPECT_EQ(gone.WriteTime, "");
    EXPECT_TRUE(gone.NoThumb);

    // A described record stays as it is.
    fs::remove(Folder / "clip.mp4");
    DescribeListed(clip);
    EXPECT_TRUE(clip.HasTitle);
}

TEST_P(ScanFolder, EntriesListedAheadServeTheNextScanOfTheirFolderOnly)
{
    WriteFile(Folder / "a.mp4", "x");
    Scanner.ListAhead(Folder.Path());
    Scanner.ListAhead(Folder / "other/");  // never scanned: dropped below
    EXPECT_EQ(Scan(Folder.Path()).size(), 1u);

    // Taken by that scan: the next one reads the folder again.
    WriteFile(Folder / "b.mp4", "x");
    Found.clear();
    EXPECT_EQ(Scan(Folder.Path()).size(), 2u);

    // Dropped entries (read before c.mp4 was written) serve no scan.
    Scanner.ListAhead(Folder.Path());
    Scanner.DropListedAhead();
    WriteFile(Folder / "c.mp4", "x");
    Found.clear();
    EXPECT_EQ(Scan(Folder.Path()).size(), 3u);
}

TEST(VideoNames, HandheldNamesParse)
{
    EXPECT_EQ(THandheldFolder::NumberOf("M4V00001.MP4"), 1);
    EXPECT_EQ(THandheldFolder::NumberOf("M4V99999.MP4"), 99999);
    EXPECT_EQ(THandheldFolder::NumberOf("m4v00007.Mp4"), 7);
    EXPECT_EQ(THandheldFolder::NumberOf("m4v00042.mp4"), 42);
    EXPECT_EQ(THandheldFolder::NumberOf("M4V00000.MP4"), 0);
}

TEST(VideoNames, OtherNamesGiveMinusOne)
{
    for (const char* name : {"M4V0001.MP4", "M4VABCDE.MP4", "M4V00001.THM", "X4V00001.MP4", "M4V0000A.MP4",
                             "M4V+0001.MP4", "M4V -001.MP4", "M4V 0001.MP4", "M4V000001.MP4", "", "clip.mp4"})
        EXPECT_EQ(THandheldFolder::NumberOf(name), -1) << name;
}
