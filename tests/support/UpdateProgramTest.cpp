// The weekly update check as the window program runs it at start-up:
// a copy of vantrel beside a recording updater, started twice.

#include "support/VersionInfo.h"
#include "tests/catalogue/TestFolders.h"
#include "tests/support/FakePrograms.h"
#include "tests/support/ProgramRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDate>

#include <csignal>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

using ::testing::ElementsAre;
using ::testing::MatchesRegex;

// Starts the copy, waits until its window is up, and ends it without
// letting it save its settings (a polite SIGTERM would close the window,
// which saves them), so every start is a start on the same settings.
void RunUntilShown(const std::string& program, const std::string& home)
{
    auto process = StartProgram(program, {}, home);
    ASSERT_TRUE(WaitForError(*process, "panes filled"));
    process->kill();
    ASSERT_TRUE(process->waitForFinished(60000));
}

TEST(UpdateProgram, FirstStartRunsTheUpdaterWithTheWindowAndVersionThenNotAgainThisWeek)
{
    TempFolder folder;
    MakeRecordingProgram(folder.Path(), "update");
    const std::string program = CopyBuiltProgram("vantrel", folder.Path());

    RunUntilShown(program, folder.Path());
    bool found = false;
    const std::vector<std::string> arguments = RecordedArguments(folder.Path(), "update", found);
    ASSERT_TRUE(found);
    ASSERT_EQ(arguments.size(), 12u);
    EXPECT_EQ(arguments[4], "-ver");
    EXPECT_EQ(arguments[5], GetProductVersionText(program));
    EXPECT_EQ(arguments[6], "-uninstall");
    EXPECT_EQ(arguments[7], folder.Path() + "unins000 /SILENT /VERYSILENT");
    EXPECT_EQ(arguments[8], "-mainwnd");
    EXPECT_THAT(arguments[9], MatchesRegex("\\$[0-9A-F]+"));
    EXPECT_EQ(ReadFile(folder / "config/Vantrel/Pellory.dat"),
              "[Update]\nLastUpdateDetect=" + QDate::currentDate().toString(Qt::ISODate).toStdString() + "\n");

    // A second start the same day leaves the updater alone.
    fs::remove(folder / "update.args");
    RunUntilShown(program, folder.Path());
    EXPECT_FALSE(HasRecorded(folder.Path(), "update"));
}

} // namespace
