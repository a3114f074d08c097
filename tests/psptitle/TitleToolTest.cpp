// vantrel-tool title: what scripts that title videos in bulk rely on.

#include "VideoFixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

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
        MakeVideo(*folder_ / "source.MP4", {"psp", "東京の夏"});
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
    const ProgramRun shown = RunProgram({tool(), "title", video_.string()});
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_EQ(shown.output, "東京の夏\n");
    EXPECT_EQ(shown.errors, "");
}

TEST_F(TitleTool, SavesANewTitle)
{
    const ProgramRun saved = RunProgram({tool(), "title", video_.string(), "Été 😀"});
    EXPECT_EQ(saved.exitCode, 0) << saved.errors;
    EXPECT_EQ(saved.output, "");
    EXPECT_EQ(RunProgram({tool(), "title", video_.string()}).output, "Été 😀\n");
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
        const ProgramRun failed = RunProgram(arguments);
        EXPECT_EQ(failed.exitCode, 1);
        EXPECT_EQ(failed.output, "");
        EXPECT_EQ(failed.errors, "holiday.MP4: the file ends inside its movie box\n");
    }
    EXPECT_TRUE(readBytes(video_) == cut);
}

TEST_F(TitleTool, FailedSavePrintsTheLibraryText)
{
    const ProgramRun failed = RunProgram({tool(), "title", video_.string(), std::string(32762, 'x')});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.errors, "holiday.MP4: the title is too long (32762 characters; at most 32761 of these fit)\n");
    EXPECT_EQ(RunProgram({tool(), "title", video_.string()}).output, "東京の夏\n");
}

// What the shell hands over is bytes; a title must reach the file exactly
// as typed, or not at all.
TEST_F(TitleTool, RefusesTitlesThatAreNotExactText)
{
    const Bytes before = readBytes(video_);
    const std::pair<std::string, std::string> refused[] = {
        {"Caf\xE9", "the title is not valid UTF-8 (at byte 4)"},
        {"cut \xE6\x9D", "the title is not valid UTF-8 (at byte 5)"},
        {"a\xC0\x80" "b", "the title holds an encoded NUL character (bytes C0 80)"},
        {"\xED\xA0\x80", "the title is not valid UTF-8 (at byte 1)"},
    };
    for (const auto& [title, problem] : refused) {
        const ProgramRun failed = RunProgram({tool(), "title", video_.string(), title});
        EXPECT_EQ(failed.exitCode, 1);
        EXPECT_EQ(failed.errors, "holiday.MP4: " + problem + "; the title was not saved\n");
    }
    EXPECT_TRUE(readBytes(video_) == before);
}

TEST_F(TitleTool, PrintsControlCharactersAsStored)
{
    const std::string title = "tab\there \x1b[1mbold\x7f \xEF\xBF\xBD";
    ASSERT_EQ(RunProgram({tool(), "title", video_.string(), title}).exitCode, 0);
    EXPECT_EQ(RunProgram({tool(), "title", video_.string()}).output, title + "\n");
}

// The file's permission bits let its owner write, but the tool runs as
// someone else.
TEST_F(TitleTool, SaysPermissionDeniedToAnotherUser)
{
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(video_.c_str(), 0464), 0);   // its owner may not write
    }
    ASSERT_EQ(::chmod(own_.Path().c_str(), 0755), 0);
    // The build folder may sit in a private home folder the other user
    // cannot enter: that user runs a copy of the tool from the test folder.
    const fs::path reachableTool = own_ / "vantrel-tool";
    fs::copy_file(tool(), reachableTool);
    const ChildRun refused = runInChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return std::string("cannot become another user");
        const ProgramRun failed = RunProgram({reachableTool.string(), "title", video_.string(), "New"});
        return std::to_string(failed.exitCode) + " " + failed.errors;
    });
    EXPECT_EQ(refused.text, "1 holiday.MP4: permission denied; the title was not saved\n");
}

TEST_F(TitleTool, SaysReadOnlyForAFileWithoutWritePermission)
{
    ASSERT_EQ(::chmod(video_.c_str(), 0444), 0);
    const ProgramRun failed = RunProgram({tool(), "title", video_.string(), "New"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.errors, "holiday.MP4: the file is read-only; the title was not saved\n");
}

TEST_F(TitleTool, WrongUsage)
{
    EXPECT_EQ(RunProgram({tool(), "title"}).exitCode, 2);
    EXPECT_EQ(RunProgram({tool(), "title", video_.string(), "a", "b"}).exitCode, 2);
}

} // namespace
