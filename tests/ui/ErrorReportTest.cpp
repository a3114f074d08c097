// ErrorReport's window, offscreen: the report shown, copied and saved,
// where to send it, and the report file left as it was.

#include "errorreport/ReportWindow.h"

#include "tests/catalogue/TestFolders.h"

#include "tests/catalogue/TestApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

char kProgramName[] = "error_report_window";
[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new TTestApplication<QApplication>(kProgramName));

constexpr const char* kReport = "Vantrel crash report\nSignal: 11 (SIGSEGV)\n";

template <class T>
T& Control(QWidget& window, const char* name)
{
    T* control = window.findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr)
        throw std::runtime_error(std::string("no control ") + name);
    return *control;
}

class ErrorReportTest : public ::testing::Test {
protected:
    std::unique_ptr<TReportWindow> Open(const std::string& file)
    {
        auto window = std::make_unique<TReportWindow>(ParseReportArguments(
            {"-url:https://update.tolvane.example/srv/bugrpt/bugrpt.asp", "-title:Vantrel", "-file:" + file}));
        window->show();
        return window;
    }

    TempFolder FFolder;
};

TEST(ReportArguments, ThreeOptionsInAnyOrderUnknownOnesIgnored)
{
    const TReportArguments parsed =
        ParseReportArguments({"-file:/tmp/tmp1.tmp", "--stray", "-title:Vantrel", "-url:https://x/y:z"});
    EXPECT_EQ(parsed.UploadPage, "https://x/y:z");
    EXPECT_EQ(parsed.Title, "Vantrel");
    EXPECT_EQ(parsed.ReportFile, "/tmp/tmp1.tmp");
}

TEST_F(ErrorReportTest, ShowsTheReportAndWhereToSendIt)
{
    WriteFile(FFolder / "tmpAB.tmp", kReport);
    auto window = Open(FFolder / "tmpAB.tmp");
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vantrel Error Report"));
    EXPECT_EQ(Control<QPlainTextEdit>(*window, "memReport").toPlainText(), QString::fromLatin1(kReport));
    const QString sendTo = Control<QLabel>(*window, "lblSendTo").text();
    EXPECT_TRUE(sendTo.contains(QStringLiteral("https://update.tolvane.example/srv/bugrpt/bugrpt.asp")));
    EXPECT_TRUE(sendTo.contains(QString::fromStdString(FFolder / "tmpAB.tmp")));
}

TEST_F(ErrorReportTest, CopyPutsTheReportOnTheClipboard)
{
    WriteFile(FFolder / "tmpAB.tmp", kReport);
    auto window = Open(FFolder / "tmpAB.tmp");
    QApplication::clipboard()->setText(QStringLiteral("before"));
    Control<QPushButton>(*window, "btnCopy").click();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromLatin1(kReport));
}

TEST_F(ErrorReportTest, SaveWritesACopyAndKeepsTheReport)
{
    WriteFile(FFolder / "tmpAB.tmp", kReport);
    auto window = Open(FFolder / "tmpAB.tmp");
    std::string suggested;
    window->SetSaveChooser([&](const std::string& name) -> std::optional<std::string> {
        suggested = name;
        return FFolder / "saved.txt";
    });
    Control<QPushButton>(*window, "btnSave").click();
    EXPECT_EQ(suggested, "tmpAB.tmp");
    EXPECT_EQ(ReadFile(FFolder / "saved.txt"), kReport);
    EXPECT_TRUE(Control<QLabel>(*window, "lblStatus").text().contains(QStringLiteral("saved.txt")));

    window->close();
    window.reset();
    EXPECT_EQ(ReadFile(FFolder / "tmpAB.tmp"), kReport);
}

TEST_F(ErrorReportTest, SaveThatFailsSaysSoAndNamesTheFile)
{
    WriteFile(FFolder / "tmpAB.tmp", kReport);
    auto window = Open(FFolder / "tmpAB.tmp");
    window->SetSaveChooser([&](const std::string&) -> std::optional<std::string> { return FFolder / "no/such/x"; });
    Control<QPushButton>(*window, "btnSave").click();
    const QString status = Control<QLabel>(*window, "lblStatus").text();
    EXPECT_TRUE(status.startsWith(QStringLiteral("Cannot save"))) << status.toStdString();
    EXPECT_TRUE(status.contains(QString::fromStdString(FFolder / "no/such/x")));
    EXPECT_FALSE(fs::exists(FFolder / "no"));
}

TEST_F(ErrorReportTest, CancelledSaveWritesNothing)
{
    WriteFile(FFolder / "tmpAB.tmp", kReport);
    auto window = Open(FFolder / "tmpAB.tmp");
    window->SetSaveChooser([](const std::string&) { return std::optional<std::string>(); });
    Control<QPushButton>(*window, "btnSave").click();
    EXPECT_EQ(Control<QLabel>(*window, "lblStatus").text(), QString());
    EXPECT_EQ(fs::directory_iterator(FFolder.Path())->path().filename(), "tmpAB.tmp");
}

TEST_F(ErrorReportTest, MissingReportIsSaidAndNothingCanBeCopied)
{
    auto window = Open(FFolder / "tmpGONE.tmp");
    EXPECT_TRUE(Control<QLabel>(*window, "lblWhat").text().contains(QStringLiteral("cannot be found")));
    EXPECT_FALSE(Control<QPushButton>(*window, "btnCopy").isEnabled());
    EXPECT_FALSE(Control<QPushButton>(*window, "btnSave").isEnabled());
}

} // namespace
