// Loads never nest: a load asked for while another one lets the event
// loop run (the scan's turn, a notice, a question) waits until that one
// has ended, and the busy flag comes back as it was.

#include "UiFixture.h"

#include "tests/catalogue/TestFolders.h"

#include <QKeyEvent>

namespace {

using ::testing::ElementsAre;


class LoadsTest : public TUiTest {
protected:
    // A computer folder with one video, handhelds E and G with one video
    // each (only G plugged in), and a fixed disk with one video.
    void SetUp() override
    {
        TUiTest::SetUp();
        FComputer = MakeFolder("computer");
        FE = MakeHandheld("E");
        FG = MakeHandheld("G");
        FFixed = MakeFixedDisk("fixed");
        Put(TSampleFiles::Video("Here"), FComputer, "here.MP4");
        Put(TSampleFiles::Video("On E"), FE + "/MP_ROOT/100MNV01", "M4V00005.MP4");
        Put(TSampleFiles::Video("On G"), FG + "/MP_ROOT/100MNV01", "M4V00007.MP4");
        Put(TSampleFiles::Video("On the disk"), FFixed + "/MP_ROOT/100MNV01", "M4V00003.MP4");
        Plug(FG);
        FWindow = StartWindow(FComputer);
    }

    // Runs `during` in the turn the next scan takes before it lists.
    void DuringTheNextScan(std::function<void()> during)
    {
        FWindow->Scanner().OnIdle = [this, during = std::move(during)]() mutable {
            // Replacing the handler ends this closure: keep what it runs.
            const std::function<void()> once = std::move(during);
            FWindow->Scanner().OnIdle = [] { QCoreApplication::processEvents(); };
            once();
        };
    }

    // Runs `during` while the next message box is open.
    void WhileTheNextBoxIsOpen(std::function<void()> during) { FWhileBoxIsUp = std::move(during); }

    void TearDown() override
    {
        FWindow.reset();
        TUiTest::TearDown();
    }

    void PressEnterInThePathBox()
    {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(&Control<QLineEdit>(*FWindow, "edtPath"), &enter);
    }

    void PickInTheDriveList(const std::string& mountPoint)
    {
        TDriveBox& drives = Control<TDriveBox>(*FWindow, "cbDriver");
        emit drives.activated(drives.EntryOf(mountPoint));
    }

    void ShowTheFixedDisk()
    {
        Plug(FFixed);
        Control<TDriveBox>(*FWindow, "cbDriver").Rebuild();
        PickInTheDriveList(FFixed);
        ASSERT_THAT(Texts(FMessages), ElementsAre(kNotHandheld));
        FMessages.clear();
    }

    std::string FComputer;
    std::string FE;
    std::string FG;
    std::string FFixed;
    std::unique_ptr<TfrmVantrel> FWindow;
};

TEST_F(LoadsTest, EnterInThePathBoxDuringAHandheldScanLoadsTheComputerPaneAfterIt)
{
    DuringTheNextScan([this] { PressEnterInThePathBox(); });
    FWindow->RefreshPspPane(TDriveKey{FG, TDriveOrigin::Forced}, true);

    EXPECT_THAT(Names(*FWindow, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));
    EXPECT_THAT(Names(*FWindow, TPaneSide::Computer), ElementsAre("here.MP4"));
    EXPECT_TRUE(FWindow->LoadsWaiting());

    RunWaitingLoads(*FWindow);
    EXPECT_THAT(Names(*FWindow, TPaneSide::Computer), ElementsAre("here.MP4"));
    EXPECT_THAT(Names(*FWindow, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));
}

TEST_F(LoadsTest, BrowseDuringAHandheldScanLoadsTheChosenFolderAfterIt)
{
    const std::string other = MakeFolder("other");
    Put(TSampleFiles::Video("There"), other, "there.MP4");
    FChosenFolder = other;

    DuringTheNextScan([this] { Control<QAction>(*FWindow, "actBrowse").trigger(); });
    FWindow->RefreshPspPane(TDriveKey{FG, TDriveOrigin::Forced}, true);

    EXPECT_THAT(Names(*FWindow, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));
    RunWaitingLoads(*FWindow);
    EXPECT_THAT(Names(*FWindow, TPaneSide::Computer), ElementsAre("there.MP4"));
    EXPECT_THAT(Names(*FWindow, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));
}

TEST_F(LoadsTest, PickInTheDriveListDuringAScanLoadsThatDriveAfterIt)
{
    Plug(FE);
    Control<TDriveBox>(*FWindow, "cbDriver").Rebuild();

    DuringTheNextScan([this] { PickInTheDriveList(FE); });
    FWindow->RefreshPspPane(TDriveKey{FG, TDriveOrigin::Forced}, true);
    RunWaitingLoads(*FWindow);

    EXPECT_THAT(Names(*FWindow, TPaneSide::Handheld), ElementsAre("M4V00005.MP4"));
    EXPECT_EQ(FWindow->LoadedDrive(), (TDriveKey{FE, TDriveOrigin::DriveList}));
}

TEST_F(LoadsTest, RefreshDuringTheNoticeOfAHandheldLoadRunsAfterIt)
{
    ShowTheFixedDisk();

    WhileTheNextBoxIsOpen([this] { Control<QAction>(*FWindow, "actRefresh").trigger(); });
    FWindow->RefreshPspPane(TDriveKey{FFixed, TDriveOrigin::Forced}, true);
    EXPECT_THAT(Names(*FWindow, TPaneSide::Handheld), ElementsAre("M4V00003.MP4"));

    RunWaitingLoads(*FWindow);
    EXPECT_THAT(Names(*FWindow, TPaneSide::Handheld), ElementsAre("M4V00003.MP4"));
    EXPECT_THAT(Texts(FMessages), ElementsAre(kNotHandheld, kNotHandheld)) << "one notice per load";
    EXPECT_FALSE(FWindow->IsBusy());
}

TEST_F(LoadsTest, DeviceAcceptedWhileTheNoticeIsOpenIsOfferedAfterTheLoad)
{
    ShowTheFixedDisk();

    FAnswers = {TMessageButton::Yes};
    WhileTheNextBoxIsOpen([this] { FWindow->DriveChangeHandler(TDeviceEvent::Arrival); });
    FWindow->RefreshPspPane(TDriveKey{FFixed, TDriveOrigin::Forced}, true);
    EXPECT_THAT(Texts(FMessages), ElementsAre(kNotHandheld)) << "nothing is asked inside the notice";
    EXPECT_THAT(Names(*FWindow, TPaneSide::Handheld), ElementsAre("M4V00003.MP4"));

    RunWaitingLoads(*FWindow);
    EXPECT_THAT(Texts(FMessages), ElementsAre(kNotHandheld, kConnect));
    EXPECT_THAT(Names(*FWindow, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));
    EXPECT_EQ(Control<TDriveBox>(*FWindow, "cbDriver").Drive(), FG);
}

TEST_F(LoadsTest, RefreshAskedForDuringARefreshLeavesTheFirstBusyToItsEnd)
{
    bool busyAfterTheSecond = false;
    DuringTheNextScan([&] {
        Control<QAction>(*FWindow, "actRefresh").trigger();
        busyAfterTheSecond = FWindow->IsBusy();
    });
    Control<QAction>(*FWindow, "actRefresh").trigger();

    EXPECT_TRUE(busyAfterTheSecond);
    EXPECT_FALSE(FWindow->IsBusy());
    RunWaitingLoads(*FWindow);
    EXPECT_FALSE(FWindow->IsBusy());
    EXPECT_THAT(Names(*FWindow, TPaneSide::Computer), ElementsAre("here.MP4"));
    EXPECT_THAT(Names(*FWindow, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));
}

// A click handled in a scan's turn starts no transfer: its rows would be
// listed again by the scan.
TEST_F(LoadsTest, ATransferAskedForDuringAScanIsRefused)
{
    FWindow->Pane(TPaneSide::Computer).SelectRow(0);
    DuringTheNextScan([this] { Control<QAction>(*FWindow, "actCopyToPsp").trigger(); });
    FWindow->RefreshPspPane(TDriveKey{FG, TDriveOrigin::Forced}, true);
    RunWaitingLoads(*FWindow);

    EXPECT_THAT(Names(*FWindow, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));
    EXPECT_FALSE(Exists(FG + "/MP_ROOT/100MNV01/M4V00008.MP4"));
    EXPECT_FALSE(FWindow->IsBusy());
}

TEST_F(LoadsTest, RefreshGivesTheBusyFlagBackAsItFoundIt)
{
    FWindow->SetBusy(true);
    FWindow->actRefreshExecute();
    EXPECT_TRUE(FWindow->IsBusy());
}

TEST_F(LoadsTest, WaitingLoadsAreDroppedOnceTheWindowIsBusy)
{
    DuringTheNextScan([this] { PressEnterInThePathBox(); });
    FWindow->RefreshPspPane(TDriveKey{FG, TDriveOrigin::Forced}, true);
    ASSERT_TRUE(FWindow->LoadsWaiting());

    // A transfer started before the waiting load had its turn.
    FWindow->SetBusy(true);
    const std::string other = MakeFolder("other");
    Control<QLineEdit>(*FWindow, "edtPath").setText(QString::fromStdString(other));
    RunWaitingLoads(*FWindow);
    EXPECT_THAT(Names(*FWindow, TPaneSide::Computer), ElementsAre("here.MP4"));
}

} // namespace
