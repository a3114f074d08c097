// Start-up: the argument rule, the start folder, the start drive, the
// settings that survive a restart, and closing while busy.

#include "UiFixture.h"

#include "platform/Settings.h"

#include <QProcess>

#include <filesystem>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;


class StartTest : public TUiTest {};

// Runs build/vantrel with `arguments` and says whether it ended by itself,
// normally and with status 0, without writing its settings.
::testing::AssertionResult EndsAtOnce(const QStringList& arguments)
{
    QProcess program;
    program.start(QString::fromStdString(std::string(std::getenv("VANTREL_BUILD_DIR")) + "/vantrel"), arguments);
    // A window left open never finishes; the process is killed with the
    // QProcess then.
    if (!program.waitForFinished(20000))
        return ::testing::AssertionFailure() << "still running: " << arguments.join(' ').toStdString();
    if (program.exitStatus() != QProcess::NormalExit || program.exitCode() != 0)
        return ::testing::AssertionFailure() << "ended with status " << program.exitCode();
    if (std::filesystem::exists(Settings::ConfigFolder()))
        return ::testing::AssertionFailure() << "settings were written";
    return ::testing::AssertionSuccess();
}

TEST_F(StartTest, TwoArgumentsEndTheProgramWithoutAWindowOrSettings)
{
    EXPECT_TRUE(EndsAtOnce({QString::fromStdString(Path("")), QStringLiteral("second")}));
}

TEST_F(StartTest, QtOptionsStillCountAsArguments)
{
    // QApplication would take these out and leave one argument or none.
    EXPECT_TRUE(EndsAtOnce({QStringLiteral("-style"), QStringLiteral("fusion")}));
    EXPECT_TRUE(EndsAtOnce({QString::fromStdString(Path("")), QStringLiteral("-reverse")}));
    EXPECT_TRUE(EndsAtOnce({QStringLiteral("-platform"), QStringLiteral("offscreen"), QString::fromStdString(Path(""))}));
}

TEST_F(StartTest, StartFolderIsShownWithATrailingSlashOverTheRememberedOne)
{
    const std::string given = MakeFolder("given");
    const std::string remembered = MakeFolder("remembered");
    Put(TSampleFiles::Video("Given"), given, "given.MP4");
    Put(TSampleFiles::Video("Remembered"), remembered, "remembered.MP4");
    StoreSetting("PCDir", remembered + "/");

    auto window = StartWindow(given);

    EXPECT_EQ(Control<QLineEdit>(*window, "edtPath").text().toStdString(), given + "/");
    EXPECT_THAT(Names(*window, TPaneSide::Computer), ElementsAre("given.MP4"));
    EXPECT_THAT(SelectedRows(*window, TPaneSide::Computer), IsEmpty());
    EXPECT_THAT(Texts(FMessages), IsEmpty());
}

TEST_F(StartTest, BlankStartFolderFallsBackToTheRememberedFolder)
{
    const std::string remembered = MakeFolder("remembered");
    Put(TSampleFiles::Video("Remembered"), remembered, "remembered.MP4");
    StoreSetting("PCDir", remembered);

    auto window = StartWindow("   ");

    EXPECT_EQ(Control<QLineEdit>(*window, "edtPath").text().toStdString(), remembered + "/");
    EXPECT_THAT(Names(*window, TPaneSide::Computer), ElementsAre("remembered.MP4"));
}

TEST_F(StartTest, MissingStartFolderEmptiesThePathBox)
{
    auto window = StartWindow(Path("nowhere"));

    EXPECT_EQ(Control<QLineEdit>(*window, "edtPath").text(), QString());
    EXPECT_EQ(window->Pane(TPaneSide::Computer).Pane().RowCount(), 0);
}

TEST_F(StartTest, LastRemovableDriveIsShownWhateverIsRemembered)
{
    const std::string fixed = MakeFixedDisk("fixed");
    const std::string first = MakeHandheld("first");
    const std::string last = MakeHandheld("last");
    Put(TSampleFiles::Video("On first"), first + "/MP_ROOT/100MNV01", "M4V00001.MP4");
    Put(TSampleFiles::Video("On last"), last + "/MP_ROOT/100MNV01", "M4V00042.MP4");
    Put(TSampleFiles::Video("On last too"), last + "/MP_ROOT/100MNV01", "M4V00007.MP4");
    Plug(fixed);
    Plug(first);
    Plug(last);
    StoreSetting("PSPDrive", fixed);

    auto window = StartWindow();

    EXPECT_EQ(Control<TDriveBox>(*window, "cbDriver").Drive(), last);
    EXPECT_EQ(Names(*window, TPaneSide::Handheld).size(), 2u);
    EXPECT_EQ(window->HighestVideoNumber(), 42);
    EXPECT_THAT(SelectedRows(*window, TPaneSide::Handheld), ElementsAre(0));
    EXPECT_EQ(window->focusWidget(), &Control<QLineEdit>(*window, "edtPath"));
    EXPECT_THAT(Texts(FMessages), IsEmpty());
    EXPECT_TRUE(window->DriveListReady());
}

// A mount point is bytes: one that is not UTF-8 keeps its identity in
// the drive list and in the settings.
TEST_F(StartTest, HandheldWhoseMountPointIsNotUtf8IsChosenLoadedAndRemembered)
{
    const std::string handheld = MakeHandheld("psp\xff\xfe");
    Put(TSampleFiles::Video("Bytes"), handheld + "/MP_ROOT/100MNV01", "M4V00009.MP4");
    Plug(handheld);
    {
        auto window = StartWindow();
        EXPECT_EQ(Control<TDriveBox>(*window, "cbDriver").Drive(), handheld);
        EXPECT_THAT(Names(*window, TPaneSide::Handheld), ElementsAre("M4V00009.MP4"));
        EXPECT_THAT(Texts(FMessages), IsEmpty());
        EXPECT_TRUE(window->close());
    }
    EXPECT_EQ(Settings::Read("PSPDrive"), handheld);
}

TEST_F(StartTest, RememberedFixedDriveIsLoadedAfterTheNotice)
{
    const std::string fixed = MakeFixedDisk("fixed");
    Put(TSampleFiles::Video("On a fixed disk"), fixed + "/MP_ROOT/100MNV01", "M4V00003.MP4");
    Plug(fixed);
    StoreSetting("PSPDrive", fixed);

    auto window = StartWindow();

    EXPECT_THAT(Texts(FMessages), ElementsAre(kNotHandheld));
    EXPECT_EQ(FMessages.at(0).Kind, TMessageKind::Information);
    EXPECT_THAT(Names(*window, TPaneSide::Handheld), ElementsAre("M4V00003.MP4"));
    EXPECT_EQ(Control<TDriveBox>(*window, "cbDriver").Drive(), fixed);
}

TEST_F(StartTest, NothingRememberedAndNoRemovableDriveLoadsNothingAndSaysNothing)
{
    const std::string fixed = MakeFixedDisk("fixed");
    Put(TSampleFiles::Video("On a fixed disk"), fixed + "/MP_ROOT/100MNV01", "M4V00003.MP4");
    Plug(fixed);

    auto window = StartWindow();

    EXPECT_THAT(Texts(FMessages), IsEmpty());
    EXPECT_EQ(window->Pane(TPaneSide::Handheld).Pane().RowCount(), 0);
    EXPECT_EQ(Control<QLabel>(*window, "spDiskSize").text(), QString());
}

TEST_F(StartTest, RememberedDriveThatIsGoneLoadsNothingAndSaysNothing)
{
    StoreSetting("PSPDrive", Path("unplugged"));

    auto window = StartWindow();

    EXPECT_THAT(Texts(FMessages), IsEmpty());
    EXPECT_FALSE(window->LoadedDrive().has_value());
}

TEST_F(StartTest, FolderAndDriveSurviveARestart)
{
    const std::string folder = MakeFolder("videos");
    Put(TSampleFiles::Video("Kept"), folder, "kept.MP4");
    const std::string fixed = MakeFixedDisk("fixed");
    Put(TSampleFiles::Video("On a fixed disk"), fixed + "/MP_ROOT/100MNV01", "M4V00003.MP4");
    Plug(fixed);
    {
        auto window = StartWindow(folder);
        TDriveBox& drives = Control<TDriveBox>(*window, "cbDriver");
        drives.SetDrive(fixed);
        EXPECT_TRUE(window->close());
    }
    EXPECT_EQ(Settings::Read("PCDir"), folder + "/");
    EXPECT_EQ(Settings::Read("PSPDrive"), fixed);

    FMessages.clear();
    auto again = StartWindow();

    EXPECT_EQ(Control<QLineEdit>(*again, "edtPath").text().toStdString(), folder + "/");
    EXPECT_THAT(Names(*again, TPaneSide::Computer), ElementsAre("kept.MP4"));
    EXPECT_THAT(Names(*again, TPaneSide::Handheld), ElementsAre("M4V00003.MP4"));
}

TEST_F(StartTest, CloseIsRefusedWhileBusyAndSavesNothing)
{
    const std::string folder = MakeFolder("videos");
    auto window = StartWindow(folder);
    window->SetBusy(true);
    EXPECT_EQ(window->QueryIdle(), 0);

    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(Settings::Read("PCDir").has_value());

    window->SetBusy(false);
    EXPECT_EQ(window->QueryIdle(), 1);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(Settings::Read("PCDir"), folder + "/");
}

TEST_F(StartTest, WindowHasItsFixedSizeCaptionAndCommands)
{
    auto window = StartWindow();

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tolvane Vantrel"));
    EXPECT_EQ(window->size(), QSize(633, 524));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(Control<QLabel>(*window, "spDealFileName").text(), QStringLiteral("Ready"));
    EXPECT_EQ(Control<QPushButton>(*window, "RzButton1").text(), QStringLiteral("&Copy ->"));
    EXPECT_EQ(Control<QPushButton>(*window, "RzButton2").text(), QStringLiteral("<- M&ove"));
    EXPECT_EQ(Control<TPaneView>(*window, "lvPsp").geometry(), QRect(361, 68, 272, 437));
    EXPECT_TRUE(Control<QAction>(*window, "actPCSortNone").isChecked());
    EXPECT_TRUE(Control<QAction>(*window, "actPSPSortNone").isChecked());

    // The context menus hold their entries in their order.
    QStringList entries;
    for (QAction* entry : Control<QMenu>(*window, "pmPSP").actions())
        entries << (entry->isSeparator() ? QStringLiteral("-") : entry->text());
    EXPECT_EQ(entries, (QStringList{"<- M&ove", "<- Co&py", "&Delete", "-", "&No Sort", "&Asc Sort By",
                                    "&Desc Sort By", "-", "&Refresh"}));
}

} // namespace
