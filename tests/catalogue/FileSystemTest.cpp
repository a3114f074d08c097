// The Linux file layer under the catalogue and the transfers.

#include "platform/FileSystem.h"
#include "tests/catalogue/TestFolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

TEST(FileSystem, ListingHoldsEveryEntryButDotAndDotDot)
{
    TempFolder folder;
    WriteFile(folder / ".hidden", "");
    WriteFile(folder / "plain", "");
    fs::create_directory(folder / "sub");

    auto names = platform::ListDirectory(folder.Path());

    ASSERT_TRUE(names);
    std::sort(names->begin(), names->end());
    EXPECT_EQ(*names, (std::vector<std::string>{".hidden", "plain", "sub"}));
    EXPECT_FALSE(platform::ListDirectory(folder / "missing"));
}

TEST(FileSystem, MakeDirectoriesCreatesTheWholeChain)
{
    TempFolder folder;
    EXPECT_EQ(platform::MakeDirectories(folder / "a/b/c/"), 0);
    EXPECT_TRUE(platform::IsDirectory(folder / "a/b/c"));
    EXPECT_EQ(platform::MakeDirectories(folder / "a/b/c"), 0);

    WriteFile(folder / "file", "");
    EXPECT_EQ(platform::MakeDirectories(folder / "file/sub"), ENOTDIR);
}

TEST(FileSystem, CreateExclusiveRefusesAnExistingName)
{
    TempFolder folder;
    WriteFile(folder / "taken", "keep");

    const platform::OpenResult taken = platform::CreateExclusive(folder / "taken");
    const platform::OpenResult fresh = platform::CreateExclusive(folder / "fresh");

    EXPECT_FALSE(taken.File.IsOpen());
    EXPECT_EQ(taken.Error, EEXIST);
    EXPECT_EQ(ReadFile(folder / "taken"), "keep");
    EXPECT_TRUE(fresh.File.IsOpen());
}

TEST(FileSystem, RenameNeverReplacesATarget)
{
    TempFolder folder;
    WriteFile(folder / "from", "new");
    WriteFile(folder / "to", "old");

    EXPECT_EQ(platform::RenameNoReplace(folder / "from", folder / "to"), EEXIST);
    EXPECT_EQ(ReadFile(folder / "to"), "old");
    EXPECT_EQ(platform::RenameNoReplace(folder / "from", folder / "free"), 0);
    EXPECT_EQ(ReadFile(folder / "free"), "new");
}

TEST(FileSystem, ReadingOpensOnlyRegularFiles)
{
    TempFolder folder;
    fs::create_directory(folder / "dir");
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0644), 0);
    WriteFile(folder / "file", "x");

    EXPECT_EQ(platform::OpenRegularForReading(folder / "dir").Error, EISDIR);
    EXPECT_EQ(platform::OpenRegularForReading(folder / "pipe").Error, EINVAL);
    EXPECT_EQ(platform::OpenRegularForReading(folder / "missing").Error, ENOENT);
    EXPECT_TRUE(platform::OpenRegularForReading(folder / "file").File.IsOpen());
}

TEST(FileSystem, DescriptorClosesOnceAndMovesOwnership)
{
    TempFolder folder;
    platform::OpenResult opened = platform::CreateExclusive(folder / "f");
    ASSERT_TRUE(opened.File.IsOpen());
    platform::FileDescriptor moved = std::move(opened.File);

    EXPECT_FALSE(opened.File.IsOpen());
    EXPECT_EQ(platform::WriteAll(moved.Get(), "abc", 3), 0);
    EXPECT_EQ(moved.Close(), 0);
    EXPECT_EQ(moved.Close(), 0);
    EXPECT_EQ(ReadFile(folder / "f"), "abc");
}

TEST(FileSystem, PathPiecesAndCaseFolding)
{
    EXPECT_EQ(platform::FolderOf("/media/stick/MP_ROOT/M4V00001.MP4"), "/media/stick/MP_ROOT/");
    EXPECT_EQ(platform::NameOf("/media/stick/MP_ROOT/M4V00001.MP4"), "M4V00001.MP4");
    EXPECT_EQ(platform::FolderOf("bare"), "");
    EXPECT_EQ(platform::WithTrailingSlash("/a"), "/a/");
    EXPECT_EQ(platform::WithTrailingSlash("/a/"), "/a/");
    EXPECT_TRUE(platform::EqualsIgnoreAsciiCase("clip.THM", "CLIP.thm"));
    // Only ASCII letters fold: UTF-8 bytes stay as they are.
    EXPECT_FALSE(platform::EqualsIgnoreAsciiCase("\xC3\xA9.thm", "\xC3\x89.THM"));
    EXPECT_EQ(platform::AsciiUpper("m4v\xC3\xA9.mp4"), "M4V\xC3\xA9.MP4");
}

TEST(FileSystem, PathsAtOrBelowAFolderAreComparedPieceByPiece)
{
    EXPECT_TRUE(platform::IsAtOrBelow("/media/psp", "/media/psp"));
    EXPECT_TRUE(platform::IsAtOrBelow("/media/psp/", "/media/psp"));
    EXPECT_TRUE(platform::IsAtOrBelow("/media/psp/MP_ROOT/100MNV01/M4V00001.MP4", "/media/psp/"));
    EXPECT_TRUE(platform::IsAtOrBelow("/media//psp/./MP_ROOT", "/media/psp"));
    EXPECT_TRUE(platform::IsAtOrBelow("/anything", "/"));
    EXPECT_FALSE(platform::IsAtOrBelow("/media/psp2", "/media/psp"));
    EXPECT_FALSE(platform::IsAtOrBelow("/media/psp/../home", "/media/psp"));
    EXPECT_FALSE(platform::IsAtOrBelow("/media", "/media/psp"));
    EXPECT_FALSE(platform::IsAtOrBelow("", "/"));
    EXPECT_FALSE(platform::IsAtOrBelow("/media/psp", ""));
}
