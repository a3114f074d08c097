// The weekly update check: the rule over Pellory.dat, the updater's
// arguments, and what happens when the updater or the file is missing.
// The program folder is a temporary folder holding a recording updater.

#include "support/UpdateCheck.h"

#include "tests/catalogue/TestFolders.h"
#include "tests/support/FakePrograms.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

using ::testing::ElementsAre;

const QDate kToday(2024, 3, 14);

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override { MakeRecordingProgram(FProgramFolder.Path(), "update"); }

    TUpdateCheck Check(const QTime& timeOfDay = QTime(12, 0)) const
    {
        TUpdateCheck check;
        check.ProgramFolder = FProgramFolder.Path();
        check.BookkeepingFile = FConfig / "Pellory.dat";
        check.Version = "1.2.0.5";
        check.WindowId = 0x3a00007;
        check.Now = QDateTime(kToday, timeOfDay);
        return check;
    }

    void StoreDate(const std::string& value) { WriteBookkeeping("[Update]\nLastUpdateDetect=" + value + "\n"); }

    // Qt keeps what it read of an INI file and reads it again only when
    // its time or size changed. Written twice within one clock tick with
    // the same size, as several cases here do, the file would look
    // unchanged; each write therefore gets a time of its own.
    void WriteBookkeeping(const std::string& text)
    {
        const std::string file = FConfig / "Pellory.dat";
        WriteFile(file, text);
        fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(++FWrites));
    }

    std::string Bookkeeping() const { return ReadFile(FConfig / "Pellory.dat"); }
    bool UpdaterStarted() const { return HasRecorded(FProgramFolder.Path(), "update"); }

    std::vector<std::string> UpdaterArgumentsSeen() const
    {
        bool found = false;
        auto arguments = RecordedArguments(FProgramFolder.Path(), "update", found);
        EXPECT_TRUE(found) << "the updater was not started";
        return arguments;
    }

    TempFolder FProgramFolder;
    TempFolder FConfig;
    int FWrites = 0;
};

TEST_F(UpdateCheckTest, FirstStartStartsTheUpdaterAndCreatesTheFileWithToday)
{
    EXPECT_EQ(RunUpdateCheck(Check()), TUpdateOutcome::Started);
    EXPECT_THAT(UpdaterArgumentsSeen(),
                ElementsAre("-url", "https://update.tolvane.example/srv/disp.asp", "-product", "Tolvane Vantrel", "-ver",
                            "1.2.0.5", "-uninstall", FProgramFolder.Path() + "unins000 /SILENT /VERYSILENT",
                            "-mainwnd", "$3A00007", "-msg", "Tolvane Vantrel Update Wizard"));
    EXPECT_EQ(Bookkeeping(), "[Update]\nLastUpdateDetect=2024-03-14\n");
}

TEST_F(UpdateCheckTest, SixDaysAgoStartsNothingAndLeavesTheFileAlone)
{
    StoreDate("2024-03-08");
    const std::string before = Bookkeeping();
    EXPECT_EQ(RunUpdateCheck(Check(QTime(23, 59, 59))), TUpdateOutcome::NotDue);
    EXPECT_FALSE(UpdaterStarted());
    EXPECT_EQ(Bookkeeping(), before);
}

TEST_F(UpdateCheckTest, SevenDaysAgoStartsTheUpdaterAtAnyTimeOfDay)
{
    for (const QTime time : {QTime(0, 0), QTime(23, 59, 59)}) {
        StoreDate("2024-03-07");
        EXPECT_EQ(RunUpdateCheck(Check(time)), TUpdateOutcome::Started) << time.toString().toStdString();
        EXPECT_EQ(Bookkeeping(), "[Update]\nLastUpdateDetect=2024-03-14\n");
        UpdaterArgumentsSeen();
        fs::remove(FProgramFolder / "update.args");
    }
}

TEST_F(UpdateCheckTest, DateTenDaysAheadCountsAsLongAgo)
{
    StoreDate("2024-03-24");
    EXPECT_EQ(RunUpdateCheck(Check()), TUpdateOutcome::Started);
    EXPECT_EQ(Bookkeeping(), "[Update]\nLastUpdateDetect=2024-03-14\n");
}

TEST_F(UpdateCheckTest, DateSixDaysAheadIsNotDue)
{
    // Midnight six days ahead is five and a half days from noon today.
    StoreDate("2024-03-20");
    EXPECT_EQ(RunUpdateCheck(Check()), TUpdateOutcome::NotDue);
    EXPECT_FALSE(UpdaterStarted());
}

TEST_F(UpdateCheckTest, ValueThatIsNotADateCountsAsNeverChecked)
{
    for (const char* value : {"last week", "2024-02-30", "", "14/03/2024"}) {
        StoreDate(value);
        EXPECT_EQ(RunUpdateCheck(Check()), TUpdateOutcome::Started) << value;
        EXPECT_EQ(Bookkeeping(), "[Update]\nLastUpdateDetect=2024-03-14\n") << value;
    }
}

TEST_F(UpdateCheckTest, OtherContentOfTheFileIsKept)
{
    WriteBookkeeping("[Update]\nLastUpdateDetect=2023-01-01\n\n[Other]\nKey=kept\n");
    EXPECT_EQ(RunUpdateCheck(Check()), TUpdateOutcome::Started);
    EXPECT_EQ(Bookkeeping(), "[Other]\nKey=kept\n\n[Update]\nLastUpdateDetect=2024-03-14\n");
}

TEST_F(UpdateCheckTest, MissingUpdaterIsSimplyNotStarted)
{
    fs::remove(FProgramFolder / "update");
    EXPECT_EQ(RunUpdateCheck(Check()), TUpdateOutcome::NoUpdater);
    // The check itself happened: the next one is in a week.
    EXPECT_EQ(Bookkeeping(), "[Update]\nLastUpdateDetect=2024-03-14\n");
}

TEST_F(UpdateCheckTest, UpdaterThatIsNotAProgramIsNotStarted)
{
    fs::remove(FProgramFolder / "update");
    fs::create_directory(FProgramFolder / "update");
    EXPECT_EQ(RunUpdateCheck(Check()), TUpdateOutcome::NoUpdater);
}

// A program folder that is not absolute (the program could not learn its
// own) starts nothing, not even the "update" of the current folder.
TEST_F(UpdateCheckTest, RelativeProgramFolderStartsNoUpdater)
{
    TUpdateCheck check = Check();
    check.ProgramFolder = "./";
    const fs::path before = fs::current_path();
    fs::current_path(FProgramFolder.Path());
    const TUpdateOutcome outcome = RunUpdateCheck(check);
    fs::current_path(before);
    EXPECT_EQ(outcome, TUpdateOutcome::NoUpdater);
    EXPECT_FALSE(UpdaterStarted());
}

TEST_F(UpdateCheckTest, FileThatCannotBeWrittenIsIgnored)
{
    // A folder where the file should be: no write can succeed, even as root.
    fs::create_directory(FConfig / "Pellory.dat");
    EXPECT_EQ(RunUpdateCheck(Check()), TUpdateOutcome::Started);
    UpdaterArgumentsSeen();
    EXPECT_TRUE(fs::is_directory(FConfig / "Pellory.dat"));
}

TEST_F(UpdateCheckTest, UserStartedCheckAsksForErrorsAndIgnoresTheWeek)
{
    StoreDate("2024-03-13");
    const std::string before = Bookkeeping();
    TUpdateCheck check = Check();
    check.UserStarted = true;
    EXPECT_EQ(RunUpdateCheck(check), TUpdateOutcome::Started);
    EXPECT_THAT(UpdaterArgumentsSeen(),
                ElementsAre("-url", "https://update.tolvane.example/srv/disp.asp", "-product", "Tolvane Vantrel", "-ver",
                            "1.2.0.5", "-uninstall", FProgramFolder.Path() + "unins000 /SILENT /VERYSILENT",
                            "-mainwnd", "$3A00007", "-showerr", "yes", "-msg", "Tolvane Vantrel Update Wizard"));
    EXPECT_EQ(Bookkeeping(), before);
}

TEST(UpdateDue, WholeDaysEitherWayRound)
{
    const QDateTime noon(kToday, QTime(12, 0));
    EXPECT_TRUE(UpdateDue(std::nullopt, noon));
    EXPECT_FALSE(UpdateDue(kToday, noon));
    EXPECT_FALSE(UpdateDue(kToday.addDays(-6), noon));
    EXPECT_TRUE(UpdateDue(kToday.addDays(-7), QDateTime(kToday, QTime(0, 0))));
    EXPECT_FALSE(UpdateDue(kToday.addDays(7), noon));
    EXPECT_TRUE(UpdateDue(kToday.addDays(8), noon));
    EXPECT_TRUE(UpdateDue(kToday.addDays(-400), noon));
}

TEST(UpdateDue, SummerTimeChangeDoesNotMoveTheWeek)
{
    // Europe's clocks went forward on 2024-03-31: a week later is still
    // seven days, at the first minute of the day.
    EXPECT_TRUE(UpdateDue(QDate(2024, 3, 28), QDateTime(QDate(2024, 4, 4), QTime(0, 0))));
    EXPECT_FALSE(UpdateDue(QDate(2024, 3, 28), QDateTime(QDate(2024, 4, 3), QTime(23, 59))));
}

TEST(UpdateCheck, BookkeepingFileIsInTheUsersConfigFolder)
{
    TempFolder config;
    ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    EXPECT_EQ(BookkeepingFilePath(), config.Path() + "/Vantrel/Pellory.dat");
}

} // namespace
