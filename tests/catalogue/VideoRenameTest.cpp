// Renaming a computer video and its thumbnail on disk.

#include "catalogue/VideoRename.h"
#include "tests/catalogue/TestFolders.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace {

class VideoRename : public ::testing::Test {
protected:
    TFileInfo Video(const std::string& name, bool withThumb)
    {
        TFileInfo info;
        info.FileName = name + ".mp4";
        info.FullPath = FFolder / info.FileName;
        WriteFile(info.FullPath, "video " + name);
        if (withThumb) {
            info.ThumbPath = FFolder / (name + ".THM");
            WriteFile(info.ThumbPath, "thumb " + name);
            info.NoThumb = false;
        }
        return info;
    }

    TempFolder FFolder;
};

} // namespace

TEST_F(VideoRename, TypedExtensionBecomesMp4AndTheThumbnailFollows)
{
    TFileInfo movie = Video("movie", true);

    ASSERT_EQ(RenameVideo(movie, "clip.avi"), TRenameOutcome::Renamed);

    EXPECT_EQ(ReadFile(FFolder / "clip.MP4"), "video movie");
    EXPECT_EQ(ReadFile(FFolder / "clip.THM"), "thumb movie");
    EXPECT_FALSE(Exists(FFolder / "movie.mp4"));
    EXPECT_FALSE(Exists(FFolder / "movie.THM"));
    EXPECT_EQ(movie.FullPath, FFolder / "clip.MP4");
    EXPECT_EQ(movie.FileName, "clip.MP4");
    EXPECT_EQ(movie.ThumbPath, FFolder / "clip.THM");

    ASSERT_EQ(RenameVideo(movie, "a.b.c"), TRenameOutcome::Renamed);
    EXPECT_EQ(movie.FileName, "a.b.MP4");
    ASSERT_EQ(RenameVideo(movie, ""), TRenameOutcome::Renamed);
    EXPECT_EQ(movie.FileName, ".MP4");
    EXPECT_EQ(ReadFile(FFolder / ".THM"), "thumb movie");
}

TEST_F(VideoRename, TakenNamesAreNeverReplacedTheFilesOwnIncluded)
{
    TFileInfo movie = Video("movie", true);
    const TFileInfo before = movie;
    Video("other", false);
    WriteFile(FFolder / "other.MP4", "other video");
    WriteFile(FFolder / "stray.THM", "stray");

    // Unchanged: the thumbnail's own name is taken.
    EXPECT_EQ(RenameVideo(movie, "movie.mp4"), TRenameOutcome::NameTaken);
    EXPECT_EQ(RenameVideo(movie, "other"), TRenameOutcome::NameTaken);
    EXPECT_EQ(RenameVideo(movie, "stray.mp4"), TRenameOutcome::NameTaken);

    EXPECT_EQ(movie.FullPath, before.FullPath);
    EXPECT_EQ(ReadFile(FFolder / "movie.mp4"), "video movie");
    EXPECT_EQ(ReadFile(FFolder / "other.MP4"), "other video");
    EXPECT_EQ(ReadFile(FFolder / "stray.THM"), "stray");
}

TEST_F(VideoRename, VideoWithoutThumbnailRenamesAloneOrQuietlyNotAtAll)
{
    TFileInfo lone = Video("lone", false);
    WriteFile(FFolder / "taken.MP4", "taken");

    EXPECT_EQ(RenameVideo(lone, "taken"), TRenameOutcome::NotRenamed);
    EXPECT_EQ(ReadFile(FFolder / "taken.MP4"), "taken");
    ASSERT_EQ(RenameVideo(lone, "free"), TRenameOutcome::Renamed);
    EXPECT_EQ(ReadFile(FFolder / "free.MP4"), "video lone");
    EXPECT_EQ(lone.NewPath, FFolder / "free.MP4");
    EXPECT_FALSE(Exists(FFolder / "free.THM"));
}

TEST_F(VideoRename, PathsInTheNameFailAndAThumbnailThatCannotFollowTakesTheVideoBack)
{
    TFileInfo movie = Video("movie", true);
    std::filesystem::create_directory(FFolder / "sub");

    EXPECT_EQ(RenameVideo(movie, "sub/escape"), TRenameOutcome::Failed);
    EXPECT_EQ(RenameVideo(movie, "../escape"), TRenameOutcome::Failed);
    EXPECT_EQ(RenameVideo(movie, std::string("nul\0byte", 8)), TRenameOutcome::Failed);
    EXPECT_FALSE(Exists(FFolder / "sub/escape.MP4"));

    std::remove(movie.ThumbPath.c_str());
    EXPECT_EQ(RenameVideo(movie, "clip"), TRenameOutcome::Failed);
    EXPECT_EQ(ReadFile(FFolder / "movie.mp4"), "video movie");
    EXPECT_FALSE(Exists(FFolder / "clip.MP4"));
    EXPECT_EQ(movie.FileName, "movie.mp4");
}

TEST_F(VideoRename, AThumbnailAnotherVideoShowsIsCopiedNotCarriedOff)
{
    TFileInfo lower = Video("clip", true);
    WriteFile(FFolder / "clip.MP4", "the twin");  // shows clip.THM too

    ASSERT_EQ(RenameVideo(lower, "holiday"), TRenameOutcome::Renamed);

    EXPECT_EQ(lower.ThumbPath, FFolder / "holiday.THM");
    EXPECT_EQ(ReadFile(FFolder / "holiday.THM"), "thumb clip");
    EXPECT_EQ(ReadFile(FFolder / "clip.THM"), "thumb clip");
    EXPECT_FALSE(Exists(FFolder / "clip.mp4"));
}

TEST_F(VideoRename, AThumbnailThatCannotFollowSendsTheVideoBack)
{
    TFileInfo movie = Video("movie", true);
    std::filesystem::remove(movie.ThumbPath);  // gone since the scan

    EXPECT_EQ(RenameVideo(movie, "other"), TRenameOutcome::Failed);
    EXPECT_EQ(ReadFile(FFolder / "movie.mp4"), "video movie");
    EXPECT_FALSE(Exists(FFolder / "other.MP4"));
}
