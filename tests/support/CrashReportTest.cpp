// Crashes of real programs: the window program hit by SIGSEGV, and a
// small program that faults, throws or aborts with the reporter
// installed. Each runs from a temporary folder beside a recording
// stand-in for ErrorReport.

#include "support/Addresses.h"
#include "support/VersionInfo.h"
#include "tests/catalogue/TestFolders.h"
#include "tests/support/FakePrograms.h"
#include "tests/support/ProgramRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

class CrashReportTest : public ::testing::Test {
protected:
    void SetUp() override { MakeRecordingProgram(FFolder.Path(), "ErrorReport"); }

    // Runs the program to its end; false when it did not end in time.
    static bool Finish(QProcess& process) { return process.waitForFinished(60000); }

    // The one report left in the temporary folder, and ErrorReport's
    // arguments naming it.
    std::string CheckReportAndArguments()
    {
        const std::vector<std::string> reports = ReportFiles(FFolder / "tmp");
        EXPECT_THAT(reports, SizeIs(1));
        if (reports.size() != 1)
            return {};
        bool found = false;
        EXPECT_THAT(RecordedArguments(FFolder.Path(), "ErrorReport", found),
                    ElementsAre(std::string("-url:") + Addresses::kCrashUploadPage, "-title:Vantrel",
                                "-file:" + reports.front()));
        EXPECT_TRUE(found);
        return ReadFile(reports.front());
    }

    TempFolder FFolder;
};

TEST_F(CrashReportTest, WindowProgramHitBySigsegvLeavesAReportAndEndsWith255)
{
    const std::string program = CopyBuiltProgram("vantrel", FFolder.Path());
    auto process = StartProgram(program, {}, FFolder.Path());
    ASSERT_TRUE(WaitForError(*process, "panes filled"));

    ::kill(static_cast<pid_t>(process->processId()), SIGSEGV);
    ASSERT_TRUE(Finish(*process));
    EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process->exitCode(), 255);

    const std::string report = CheckReportAndArguments();
    EXPECT_THAT(report, HasSubstr("Vantrel crash report\n"));
    EXPECT_THAT(report, HasSubstr("Program: " + program + "\n"));
    EXPECT_THAT(report, HasSubstr("Version: " + GetVersionText(program) + "\n"));
    EXPECT_THAT(report, HasSubstr("Signal: 11 (SIGSEGV)\n"));
    EXPECT_THAT(report, HasSubstr("Sent by process: "));
    EXPECT_THAT(report, HasSubstr("Time: "));
    EXPECT_THAT(report, HasSubstr("Backtrace:\n"));
    // Ended without the window's close: the remembered settings were not
    // written.
    EXPECT_FALSE(fs::exists(FFolder / "config/Vantrel/Vantrel.conf"));
}

TEST_F(CrashReportTest, FaultNamesTheFaultingAddress)
{
    const std::string program = CopyBuiltProgram("tests/crash_fixture", FFolder.Path());
    auto process = StartProgram(program, {QStringLiteral("fault")}, FFolder.Path());
    ASSERT_TRUE(Finish(*process));
    EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process->exitCode(), 255);
    const std::string page = process->readAllStandardOutput().trimmed().toStdString();

    const std::string report = CheckReportAndArguments();
    EXPECT_THAT(report, HasSubstr("Signal: 11 (SIGSEGV)\n"));
    // %p prints 0x7f...; the report pads to sixteen digits.
    const std::string digits = page.substr(2);
    EXPECT_THAT(report, HasSubstr("Address: 0x" + std::string(16 - digits.size(), '0') + digits + "\n"));
    EXPECT_THAT(report, HasSubstr("main"));
}

TEST_F(CrashReportTest, UncaughtExceptionIsReportedWithItsText)
{
    const std::string program = CopyBuiltProgram("tests/crash_fixture", FFolder.Path());
    auto process = StartProgram(program, {QStringLiteral("throw")}, FFolder.Path());
    ASSERT_TRUE(Finish(*process));
    EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process->exitCode(), 255);
    EXPECT_THAT(CheckReportAndArguments(), HasSubstr("Uncaught exception: the fixture's fault\n"));
}

TEST_F(CrashReportTest, AbortIsReported)
{
    const std::string program = CopyBuiltProgram("tests/crash_fixture", FFolder.Path());
    auto process = StartProgram(program, {QStringLiteral("abort")}, FFolder.Path());
    ASSERT_TRUE(Finish(*process));
    EXPECT_EQ(process->exitCode(), 255);
    EXPECT_THAT(CheckReportAndArguments(), HasSubstr("Signal: 6 (SIGABRT)\n"));
}

TEST_F(CrashReportTest, MissingErrorReportStillLeavesTheReportAndStatus)
{
    fs::remove(FFolder / "ErrorReport");
    const std::string program = CopyBuiltProgram("tests/crash_fixture", FFolder.Path());
    auto process = StartProgram(program, {QStringLiteral("throw")}, FFolder.Path());
    ASSERT_TRUE(Finish(*process));
    EXPECT_EQ(process->exitCode(), 255);
    EXPECT_THAT(ReportFiles(FFolder / "tmp"), SizeIs(1));
}

TEST_F(CrashReportTest, MissingTemporaryFolderStillEndsWith255)
{
    // No report can be written: no ErrorReport either, the same status.
    const std::string program = CopyBuiltProgram("tests/crash_fixture", FFolder.Path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), QString::fromStdString(FFolder / "missing"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(program), {QStringLiteral("throw")});
    ASSERT_TRUE(Finish(process));
    EXPECT_EQ(process.exitCode(), 255);
    EXPECT_FALSE(fs::exists(FFolder / "missing"));
    EXPECT_FALSE(HasRecorded(FFolder.Path(), "ErrorReport"));
}

// A fault while the report is being written (here: the backtrace walks
// a wrecked stack) still ends with the reporter's status.
TEST_F(CrashReportTest, FaultInsideTheHandlerStillEndsWith255)
{
    const std::string program = CopyBuiltProgram("tests/crash_fixture", FFolder.Path());
    auto process = StartProgram(program, {QStringLiteral("corrupt-stack")}, FFolder.Path());
    ASSERT_TRUE(Finish(*process));
    if (process->exitStatus() == QProcess::NormalExit && process->exitCode() == 77)
        GTEST_SKIP() << "the fixture wrecks the stack on x86-64 only";
    EXPECT_EQ(process->exitStatus(), QProcess::NormalExit) << "killed by signal " << process->exitCode();
    EXPECT_EQ(process->exitCode(), 255);
}

// A temporary folder longer than the handler can hold is refused, not
// cut: cut short, this one would name another folder, "tmp" itself.
TEST_F(CrashReportTest, OverLongTemporaryFolderIsRefusedNotCut)
{
    const std::string program = CopyBuiltProgram("tests/crash_fixture", FFolder.Path());
    const std::string overLong = FFolder / "tmp" + std::string(5000, '/') + "elsewhere";
    fs::create_directories(FFolder / "tmp");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), QString::fromStdString(overLong));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(program), {QStringLiteral("throw")});
    ASSERT_TRUE(Finish(process));
    EXPECT_EQ(process.exitCode(), 255);
    EXPECT_THAT(ReportFiles(FFolder / "tmp"), IsEmpty());
    EXPECT_FALSE(HasRecorded(FFolder.Path(), "ErrorReport"));
}

// Without its own folder the program starts no ErrorReport: not the one
// in the current folder, not one from PATH.
TEST_F(CrashReportTest, WithoutItsOwnFolderNoErrorReportIsStartedFromTheCurrentFolder)
{
    const std::string program = CopyBuiltProgram("tests/crash_fixture", FFolder.Path());
    auto process = StartProgram(program, {QStringLiteral("throw-without-folder")}, FFolder.Path());
    ASSERT_TRUE(Finish(*process));
    EXPECT_EQ(process->exitCode(), 255);
    EXPECT_THAT(ReportFiles(FFolder / "tmp"), SizeIs(1)) << "the report is still written";
    EXPECT_FALSE(HasRecorded(FFolder.Path(), "ErrorReport"));
}

} // namespace
