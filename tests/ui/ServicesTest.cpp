// The window's services offscreen: the about box, the help page, Open
// Folder without a file manager on the bus, and the update check at
// start-up. The desktop is replaced by a recorder.

#include "UiFixture.h"

#include "platform/Settings.h"
#include "tests/catalogue/TestFolders.h"
#include "ui/DesktopOpen.h"
#include "ui/fAbout.h"

#include <QDate>
#include <QMouseEvent>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ServicesTest : public TUiTest {
protected:
    void SetUp() override
    {
        TUiTest::SetUp();
        // No session bus: the window's first use of it fails at once, so
        // Open Folder takes its fallback.
        setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + Path("no-bus")).c_str(), 1);
        FPreviousOpener = SetDesktopOpener([this](const QUrl& url) { FOpened.push_back(url); });
    }
    void TearDown() override
    {
        SetDesktopOpener(std::move(FPreviousOpener));
        TUiTest::TearDown();
    }

    // Runs `inspect` on the about box while it is open (the box is modal,
    // so the check runs from inside its own event loop), then returns
    // whether the box closed again.
    bool WithAboutBox(TfrmVantrel& window, const std::function<void(TfrmAbout&)>& inspect)
    {
        bool inspected = false;
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<TfrmAbout*>(QApplication::activeModalWidget());
            if (about == nullptr)
                return;
            inspected = true;
            inspect(*about);
            // Whatever the check did, the box must not stay open.
            if (about->isVisible())
                about->reject();
        });
        Control<QPushButton>(window, "RzButton6").click();
        return inspected;
    }

    // Waits, bounded, for the desktop to be asked to open something.
    bool WaitForOpened(std::size_t count)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (FOpened.size() < count && std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return FOpened.size() >= count;
    }

    std::vector<QUrl> FOpened;

private:
    TDesktopOpener FPreviousOpener;
};

QLabel& Label(TfrmAbout& about, const char* name)
{
    auto* label = about.findChild<QLabel*>(QString::fromLatin1(name));
    if (label == nullptr)
        throw std::runtime_error(std::string("no label ") + name);
    return *label;
}

void ClickLabel(QLabel& label)
{
    const QPointF inside(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, inside, label.mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, label.mapToGlobal(inside), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&label, &press);
    QCoreApplication::sendEvent(&label, &release);
}

// An error that a handler does not catch is shown with its text in an
// error box, and the program goes on with the next event.
TEST_F(ServicesTest, ErrorEscapingAHandlerIsShownAndTheProgramGoesOn)
{
    auto window = StartWindow();
    bool nextEventRan = false;
    QTimer::singleShot(0, window.get(), [] { throw std::runtime_error("cannot read the disk"); });
    QTimer::singleShot(0, window.get(), [&nextEventRan] { nextEventRan = true; });
    for (int turn = 0; turn < 10 && !nextEventRan; ++turn)
        QCoreApplication::processEvents();

    EXPECT_THAT(Texts(FMessages), ElementsAre("cannot read the disk"));
    ASSERT_EQ(FMessages.size(), 1u);
    EXPECT_EQ(FMessages[0].Kind, TMessageKind::Error);
    EXPECT_TRUE(nextEventRan);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(ServicesTest, AboutBoxShowsTheProgramsFileVersionAndItsPlaces)
{
    auto window = StartWindow();
    bool stillOpenAfterChecks = false;
    ASSERT_TRUE(WithAboutBox(*window, [&](TfrmAbout& about) {
        EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
        EXPECT_EQ(about.size(), QSize(434, 215));
        // This test program carries the version record 1.2.0.5.
        auto& version = Label(about, "lblVersion");
        EXPECT_EQ(version.text(), QStringLiteral("Version:1.2.0.5"));
        EXPECT_EQ(version.pos(), QPoint(261, 66));
        EXPECT_EQ(Label(about, "imgAbout").geometry(), QRect(0, 0, 434, 100));
        EXPECT_FALSE(Label(about, "imgAbout").pixmap().isNull());
        EXPECT_EQ(Label(about, "Label2").geometry(), QRect(10, 106, 409, 61));
        EXPECT_EQ(Label(about, "Label1").pos(), QPoint(10, 169));
        auto& home = Label(about, "lblHome");
        EXPECT_EQ(home.pos(), QPoint(10, 191));
        EXPECT_TRUE(home.font().underline());
        stillOpenAfterChecks = about.isVisible();
    }));
    EXPECT_TRUE(stillOpenAfterChecks);
    EXPECT_THAT(FOpened, IsEmpty());
}

TEST_F(ServicesTest, ClickOnTheBannerClosesTheAboutBox)
{
    auto window = StartWindow();
    bool closedByClick = false;
    ASSERT_TRUE(WithAboutBox(*window, [&](TfrmAbout& about) {
        ClickLabel(Label(about, "imgAbout"));
        closedByClick = !about.isVisible();
    }));
    EXPECT_TRUE(closedByClick);
    EXPECT_THAT(FOpened, IsEmpty());
}

TEST_F(ServicesTest, ClickOnTheLinkOpensTheHomePageAndClosesTheBox)
{
    auto window = StartWindow();
    bool closedByClick = false;
    QString link;
    ASSERT_TRUE(WithAboutBox(*window, [&](TfrmAbout& about) {
        link = Label(about, "lblHome").text();
        ClickLabel(Label(about, "lblHome"));
        closedByClick = !about.isVisible();
    }));
    EXPECT_TRUE(closedByClick);
    EXPECT_THAT(FOpened, ElementsAre(QUrl(link)));
    EXPECT_TRUE(link.startsWith(QStringLiteral("https://")));
}

TEST_F(ServicesTest, HelpOpensTheProgramsOwnPage)
{
    auto window = StartWindow();
    Control<QPushButton>(*window, "btnHelp").click();
    ASSERT_EQ(FOpened.size(), 1u);
    ASSERT_TRUE(FOpened.front().isLocalFile());
    const std::string page = FOpened.front().toLocalFile().toStdString();
    EXPECT_EQ(fs::path(page).filename(), "help.html");
    // The page the repository keeps, as the build lays it beside the program.
    EXPECT_EQ(fs::file_size(page),
              fs::file_size(std::string(std::getenv("VANTREL_SOURCE_DIR")) + "/docs/help.html"));
}

TEST_F(ServicesTest, OpenFolderWithNothingSelectedOpensTheComputerFolder)
{
    const std::string folder = MakeFolder("videos");
    auto window = StartWindow(folder);
    Control<QPushButton>(*window, "RzButton7").click();
    EXPECT_THAT(FOpened, ElementsAre(QUrl::fromLocalFile(QString::fromStdString(folder + "/"))));
}

TEST_F(ServicesTest, OpenFolderWithNothingSelectedAndNoFolderDoesNothing)
{
    auto window = StartWindow();
    ASSERT_EQ(Control<QLineEdit>(*window, "edtPath").text(), QString());
    Control<QPushButton>(*window, "RzButton7").click();
    QCoreApplication::processEvents();
    EXPECT_THAT(FOpened, IsEmpty());
}

TEST_F(ServicesTest, OpenFolderWithoutAFileManagerOpensTheVideosFolder)
{
    // No file manager answers on the session bus (or there is no bus):
    // the first selected video's folder is opened instead.
    const std::string folder = MakeFolder("videos");
    for (const char* name : {"a.MP4", "b.MP4", "c.MP4"})
        Put(TSampleFiles::Video("V"), folder, name);
    auto window = StartWindow(folder);
    TPaneView& pane = window->Pane(TPaneSide::Computer);
    for (int row : {1, 2})
        pane.selectionModel()->select(pane.model()->index(row, 0), QItemSelectionModel::Select);
    ASSERT_EQ(SelectedRows(*window, TPaneSide::Computer).size(), 2u);

    Control<QPushButton>(*window, "RzButton7").click();
    ASSERT_TRUE(WaitForOpened(1));
    EXPECT_THAT(FOpened, ElementsAre(QUrl::fromLocalFile(QString::fromStdString(folder + "/"))));
}

TEST_F(ServicesTest, StartOfTheWindowRecordsTheWeeklyCheck)
{
    auto window = StartWindow();
    EXPECT_EQ(ReadFile(Settings::ConfigFolder() + "Pellory.dat"),
              "[Update]\nLastUpdateDetect=" + QDate::currentDate().toString(Qt::ISODate).toStdString() + "\n");
}

} // namespace
