// Open Folder against a file manager on a private session bus (the suite
// runs under dbus-run-session where dbus-daemon is installed): the first
// selected video is handed to ShowItems; a file manager that refuses, or
// none at all, leads to the video's folder being opened instead.

#include "UiFixture.h"

#include "tests/catalogue/TestFolders.h"
#include "ui/DesktopOpen.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>

#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FileManagerTest : public TUiTest {
protected:
    void SetUp() override
    {
        TUiTest::SetUp();
        if (!QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "no session bus: run this suite under dbus-run-session";
        FPreviousOpener = SetDesktopOpener([this](const QUrl& url) { FOpened.push_back(url); });
        FFolder = MakeFolder("videos");
        for (const char* name : {"a.MP4", "b.MP4", "c.MP4"})
            Put(TSampleFiles::Video("V"), FFolder, name);
    }
    void TearDown() override
    {
        if (FManager) {
            FManager->kill();
            FManager->waitForFinished(30000);
        }
        SetDesktopOpener(std::move(FPreviousOpener));
        TUiTest::TearDown();
    }

    void StartFileManager(const QStringList& extra = {})
    {
        FManager = std::make_unique<QProcess>();
        FManager->start(QString::fromStdString(std::string(std::getenv("VANTREL_BUILD_DIR")) + "/tests/fake_file_manager"),
                        QStringList{QString::fromStdString(Path("shown"))} + extra);
        ASSERT_TRUE(FManager->waitForReadyRead(30000));
        ASSERT_EQ(FManager->readAllStandardOutput().trimmed(), QByteArray("ready"));
    }

    // Selects three rows and returns the path of the first selected one.
    std::string SelectThree(TfrmVantrel& window)
    {
        TPaneView& pane = window.Pane(TPaneSide::Computer);
        for (int row : {2, 0, 1})
            pane.selectionModel()->select(pane.model()->index(row, 0), QItemSelectionModel::Select);
        EXPECT_EQ(SelectedRows(window, TPaneSide::Computer).size(), 3u);
        return pane.Pane().RecordAt(0).FullPath;
    }

    // Waits, bounded, while the window's event loop runs.
    template <class Condition>
    static bool WaitFor(Condition done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done() && std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return done();
    }

    std::vector<QUrl> FOpened;
    std::string FFolder;
    std::unique_ptr<QProcess> FManager;

private:
    TDesktopOpener FPreviousOpener;
};

TEST_F(FileManagerTest, FirstSelectedVideoIsShownInTheFileManager)
{
    StartFileManager();
    auto window = StartWindow(FFolder);
    const std::string first = SelectThree(*window);

    Control<QPushButton>(*window, "RzButton7").click();
    ASSERT_TRUE(WaitFor([&] { return fs::exists(Path("shown")); }));
    EXPECT_EQ(ReadFile(Path("shown")),
              QUrl::fromLocalFile(QString::fromStdString(first)).toString(QUrl::FullyEncoded).toStdString() + "\n\n");

    // A round trip to the file manager after its answer: by then the
    // answer has reached the window, which must not open the folder too.
    QDBusMessage ping = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("/org/freedesktop/FileManager1"),
                                                       QStringLiteral("org.freedesktop.DBus.Peer"),
                                                       QStringLiteral("Ping"));
    QDBusConnection::sessionBus().call(ping);
    QCoreApplication::processEvents();
    EXPECT_THAT(FOpened, IsEmpty());
}

TEST_F(FileManagerTest, FileManagerThatRefusesLeadsToTheFolderBeingOpened)
{
    StartFileManager({QStringLiteral("--refuse")});
    auto window = StartWindow(FFolder);
    SelectThree(*window);

    Control<QPushButton>(*window, "RzButton7").click();
    ASSERT_TRUE(WaitFor([&] { return !FOpened.empty(); }));
    EXPECT_TRUE(fs::exists(Path("shown")));
    EXPECT_THAT(FOpened, ElementsAre(QUrl::fromLocalFile(QString::fromStdString(FFolder + "/"))));
}

TEST_F(FileManagerTest, NoFileManagerOnTheBusLeadsToTheFolderBeingOpened)
{
    ASSERT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(
        QStringLiteral("org.freedesktop.FileManager1")));
    auto window = StartWindow(FFolder);
    SelectThree(*window);

    Control<QPushButton>(*window, "RzButton7").click();
    ASSERT_TRUE(WaitFor([&] { return !FOpened.empty(); }));
    EXPECT_THAT(FOpened, ElementsAre(QUrl::fromLocalFile(QString::fromStdString(FFolder + "/"))));
}

} // namespace
