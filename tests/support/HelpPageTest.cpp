// Where the program finds its help page, in the build tree and in an
// installed tree.

#include "support/HelpPage.h"

#include "tests/catalogue/TestFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

TEST(HelpPage, BuiltProgramFindsTheCopyInTheBuildTree)
{
    const std::string build = std::string(std::getenv("VANTREL_BUILD_DIR")) + "/";
    const std::string page = HelpPagePath(build);
    EXPECT_EQ(page, build + "doc/help.html");
    EXPECT_EQ(ReadFile(page), ReadFile(std::string(std::getenv("VANTREL_SOURCE_DIR")) + "/docs/help.html"));
}

TEST(HelpPage, InstalledProgramFindsThePageInTheSharedDocumentation)
{
    TempFolder prefix;
    fs::create_directories(prefix / "lib/vantrel");
    fs::create_directories(prefix / "share/doc/vantrel");
    WriteFile(prefix / "share/doc/vantrel/help.html", "<html></html>");
    EXPECT_EQ(HelpPagePath(prefix / "lib/vantrel/"), prefix / "share/doc/vantrel/help.html");
}

TEST(HelpPage, NoPageAnywhereGivesNothing)
{
    TempFolder folder;
    EXPECT_EQ(HelpPagePath(folder.Path()), "");
    EXPECT_EQ(HelpPagePath(""), "");
}

} // namespace
