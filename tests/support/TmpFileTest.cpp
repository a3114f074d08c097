// Temporary file names: unique, in the right folder, never naming a file
// someone else made, and gone when the object goes.

#include "support/TmpFile.h"

#include "tests/catalogue/TestFolders.h"
#include "tests/support/TmpNames.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST(TmpFile, NameIsUniqueInTheFolderAndNoFileRemains)
{
    TempFolder folder;
    std::string path;
    {
        TTmpFile tmp(folder.Path(), "");
        path = tmp.Path;
        EXPECT_EQ(tmp.Folder, folder.Path());
        EXPECT_TRUE(tmp.AutoDelete);
        EXPECT_EQ(path.substr(0, folder.Path().size()), folder.Path());
        EXPECT_TRUE(IsTmpName(path.substr(folder.Path().size()))) << path;
        // The placeholder that reserved the name is gone again.
        EXPECT_FALSE(fs::exists(path));
    }
    EXPECT_TRUE(fs::is_empty(folder.Path()));
}

TEST(TmpFile, ExtensionFollowsTheTmpNameAndNoFileExistsYet)
{
    TempFolder folder;
    TTmpFile tmp(folder.Path(), "txt");
    ASSERT_GE(tmp.Path.size(), 8u);
    EXPECT_EQ(tmp.Path.substr(tmp.Path.size() - 8), ".tmp.txt");
    EXPECT_FALSE(fs::exists(tmp.Path));
    EXPECT_TRUE(fs::is_empty(folder.Path()));
}

TEST(TmpFile, FileTheCallerMadeIsDeletedUnlessKept)
{
    TempFolder folder;
    std::string deleted;
    std::string kept;
    {
        TTmpFile first(folder.Path(), "report");
        TTmpFile second(folder.Path(), "");
        deleted = first.Path;
        kept = second.Path;
        WriteFile(deleted, "report");
        WriteFile(kept, "kept");
        second.AutoDelete = false;
    }
    EXPECT_FALSE(fs::exists(deleted));
    EXPECT_EQ(ReadFile(kept), "kept");
}

TEST(TmpFile, EmptyFolderMeansTheSystemTemporaryFolder)
{
    TempFolder folder;
    const std::string saved = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    ::setenv("TMPDIR", folder.Path().c_str(), 1);
    TTmpFile tmp("", "");
    if (saved.empty())
        ::unsetenv("TMPDIR");
    else
        ::setenv("TMPDIR", saved.c_str(), 1);
    EXPECT_EQ(tmp.Folder, folder.Path());
    EXPECT_EQ(tmp.Path.substr(0, folder.Path().size()), folder.Path());
}

TEST(TmpFile, NamesDoNotRepeat)
{
    TempFolder folder;
    std::set<std::string> names;
    std::vector<std::unique_ptr<TTmpFile>> held;
    for (int i = 0; i < 200; ++i) {
        held.push_back(std::make_unique<TTmpFile>(folder.Path(), ""));
        // Made for real, as a caller does, so the next name must differ.
        WriteFile(held.back()->Path, "x");
        names.insert(held.back()->Path);
    }
    EXPECT_EQ(names.size(), 200u);
}

TEST(TmpFile, FailedNameCallNamesNoFileAndDeletesNothing)
{
    TempFolder folder;
    // A folder that does not exist: no name can be made there.
    const std::string missing = folder / "missing/";
    {
        TTmpFile tmp(missing, "txt");
        EXPECT_EQ(tmp.Path, "");
    }
    // A name that would not fit the system's path limit.
    const std::string deep = folder.Path() + std::string(PATH_MAX, 'd') + "/";
    TTmpFile tooLong(deep, "");
    EXPECT_EQ(tooLong.Path, "");
}

TEST(TmpFile, TooSmallBufferGivesNoName)
{
    TempFolder folder;
    char path[8] = "garbage";
    EXPECT_EQ(CreateUniqueTmpFile(folder.Path().c_str(), path, sizeof path), -1);
    EXPECT_STREQ(path, "");
    EXPECT_TRUE(fs::is_empty(folder.Path()));
}

} // namespace
