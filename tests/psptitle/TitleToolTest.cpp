// vantrel-tool title: what scripts that title videos in bulk rely on.

#include "VideoFixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace fixtures;

namespace {

std::string tool()
{
    const char* build = std::getenv("VANTREL_BUILD_DIR");
    return std::string(build != nullptr ? build : ".") + "/vantrel-tool";
}

class TitleTool : public testing::Test {
public:
    static void SetUpTestSuite()
    {
        folder_ = std::make_unique<TempFolder>();
        makeVideo(*folder_ / "source.MP4", {"psp", "東京の夏"});
    }
    static void TearDownTestSuite() { folder_.reset(); }

protected:
    void SetUp() override { fs::copy_file(*folder_ / "source.MP4", video_); }

    TempFolder own_;
    const fs::path video_ = own_ / "holiday.MP4";

private:
    static inline std::unique_ptr<TempFolder> folder_;
};

TEST_F(TitleTool, PrintsTheTitleInUtf8)
{
    const ProgramRun shown = run({tool(), "title", video_.string()});
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_EQ(shown.output, "東京の夏\n");
    EXPECT_EQ(shown.errors, "");
}

TEST_F(TitleTool, SavesANewTitle)
{
    const ProgramRun saved = run({tool(), "title", video_.string(), "Été 😀"});
    EXPECT_EQ(saved.exitCode, 0) << saved.errors;
    EXPECT_EQ(saved.output, "");
    EXPECT_EQ(run({tool(), "title", video_.string()}).output, "Été 😀\n");
    EXPECT_EQ(decodeErrors(video_), "");
}

TEST_F(TitleTool, FailedOpenPrintsTheLibraryText)
{
    Bytes cut = readBytes(video_);
    cut.resize(cut.size() - 50);
    writeBytes(video_, cut);
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{tool(), "title", video_.string()},
          std::vector<std::string>{tool(), "title", video_.string(), "New"}}) {
        const ProgramRun failed = run(arguments);
        EXPECT_EQ(failed.exitCode, 1);
        EXPECT_EQ(failed.output, "");
        EXPECT_EQ(failed.errors, "holiday.MP4: the file ends inside its movie box\n");
    }
    EXPECT_TRUE(readBytes(video_) == cut);
}

TEST_F(TitleTool, FailedSavePrintsTheLibraryText)
{
    const ProgramRun failed = run({tool(), "title", video_.string(), std::string(32762, 'x')});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.errors, "holiday.MP4: the title is too long (at most 32761 characters)\n");
    EXPECT_EQ(run({tool(), "title", video_.string()}).output, "東京の夏\n");
}

TEST_F(TitleTool, WrongUsage)
{
    EXPECT_EQ(run({tool(), "title"}).exitCode, 2);
    EXPECT_EQ(run({tool(), "title", video_.string(), "a", "b"}).exitCode, 2);
}

} // namespace
