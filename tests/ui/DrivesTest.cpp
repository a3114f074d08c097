// Handhelds being plugged in and out, and picks in the drive list.

#include "UiFixture.h"

#include "platform/DriveWatcher.h"

#include <filesystem>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;


class DrivesTest : public TUiTest {
protected:
    // Two handhelds, E and G, each with one video; neither plugged in.
    void SetUp() override
    {
        TUiTest::SetUp();
        FE = MakeHandheld("E");
        FG = MakeHandheld("G");
        Put(TSampleFiles::Video("On E"), FE + "/MP_ROOT/100MNV01", "M4V00005.MP4");
        Put(TSampleFiles::Video("On G"), FG + "/MP_ROOT/100MNV01", "M4V00007.MP4");
    }

    std::string FE;
    std::string FG;
};

TEST_F(DrivesTest, ArrivalOffersEveryRemovableDriveFromTheLastAndTakesTheOneAccepted)
{
    auto window = StartWindow();
    Plug(FE);
    Plug(FG);

    FAnswers = {TMessageButton::No, TMessageButton::No};
    window->DriveChangeHandler(TDeviceEvent::Arrival);
    EXPECT_THAT(Texts(FMessages), ElementsAre(kConnect, kConnect));
    EXPECT_EQ(FMessages.at(0).Kind, TMessageKind::Question);
    EXPECT_EQ(window->Pane(TPaneSide::Handheld).Pane().RowCount(), 0);
    EXPECT_FALSE(window->LoadedDrive().has_value());

    // G is asked about first; refusing it and taking E shows E.
    FMessages.clear();
    FAnswers = {TMessageButton::No, TMessageButton::Yes};
    window->DriveChangeHandler(TDeviceEvent::Arrival);
    EXPECT_THAT(Texts(FMessages), ElementsAre(kConnect, kConnect));
    EXPECT_EQ(Control<TDriveBox>(*window, "cbDriver").Drive(), FE);
    EXPECT_THAT(Names(*window, TPaneSide::Handheld), ElementsAre("M4V00005.MP4"));
    EXPECT_EQ(window->LoadedDrive(), (TDriveKey{FE, TDriveOrigin::Forced}));
    EXPECT_TRUE(window->DriveListReady());
}

TEST_F(DrivesTest, WatcherReportsAnArrivalToTheWindow)
{
    auto window = StartWindow({}, true);
    Plug(FG);
    FAnswers = {TMessageButton::Yes};

    ASSERT_NE(window->Watcher(), nullptr);
    window->Watcher()->rescan();

    EXPECT_THAT(Texts(FMessages), ElementsAre(kConnect));
    EXPECT_THAT(Names(*window, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));
}

TEST_F(DrivesTest, DeviceEventDuringAScanWaitsForTheScanToEnd)
{
    Plug(FG);
    auto window = StartWindow();
    ASSERT_THAT(Names(*window, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));
    Unplug(FE);

    // The scan of a refresh lets the event loop run once before it lists:
    // a removal arriving there must not load the pane inside the scan.
    bool delivered = false;
    window->Scanner().OnIdle = [&] {
        if (!delivered) {
            delivered = true;
            window->DriveChangeHandler(TDeviceEvent::RemoveComplete);
        }
    };
    window->RefreshPspPane(TDriveKey{FG, TDriveOrigin::Forced}, true);
    EXPECT_THAT(Names(*window, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));

    QCoreApplication::processEvents();
    EXPECT_THAT(Names(*window, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));
    EXPECT_EQ(window->LoadedDrive(), (TDriveKey{FG, TDriveOrigin::DriveList})) << "the removal was handled after";
}

TEST_F(DrivesTest, DeviceEventsAreIgnoredWhileBusy)
{
    auto window = StartWindow();
    Plug(FG);
    window->SetBusy(true);

    window->DriveChangeHandler(TDeviceEvent::Arrival);
    EXPECT_THAT(Texts(FMessages), IsEmpty());

    Plug(FE);
    window->DriveChangeHandler(TDeviceEvent::RemoveComplete);
    EXPECT_EQ(Control<TDriveBox>(*window, "cbDriver").count(), 1) << "the list was not rebuilt";
}

TEST_F(DrivesTest, RemovalReloadsADriveWhoseLastLoadWasForced)
{
    Plug(FE);
    Plug(FG);
    auto window = StartWindow();
    ASSERT_THAT(Names(*window, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));

    Unplug(FE);
    window->DriveChangeHandler(TDeviceEvent::RemoveComplete);

    EXPECT_THAT(Names(*window, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));
    EXPECT_EQ(window->LoadedDrive(), (TDriveKey{FG, TDriveOrigin::DriveList}));
    EXPECT_THAT(Texts(FMessages), IsEmpty());
}

TEST_F(DrivesTest, RemovalLeavesThePaneEmptyWhenTheDriveListLoadedIt)
{
    Plug(FE);
    Plug(FG);
    auto window = StartWindow();
    TDriveBox& drives = Control<TDriveBox>(*window, "cbDriver");

    // The user picks E in the list: one load of E, then G back.
    emit drives.activated(drives.EntryOf(FE));
    EXPECT_THAT(Names(*window, TPaneSide::Handheld), ElementsAre("M4V00005.MP4"));
    emit drives.activated(drives.EntryOf(FG));
    ASSERT_EQ(window->LoadedDrive(), (TDriveKey{FG, TDriveOrigin::DriveList}));

    Unplug(FE);
    window->DriveChangeHandler(TDeviceEvent::RemoveComplete);

    EXPECT_EQ(window->Pane(TPaneSide::Handheld).Pane().RowCount(), 0);
    EXPECT_EQ(drives.Drive(), FG);
}

TEST_F(DrivesTest, RemovingTheShownHandheldReportsItGone)
{
    Plug(FG);
    auto window = StartWindow();
    ASSERT_EQ(window->Pane(TPaneSide::Handheld).Pane().RowCount(), 1);

    // The medium goes with the mount: its folder is no longer there.
    Unplug(FG);
    std::filesystem::rename(FG, FG + ".gone");
    window->DriveChangeHandler(TDeviceEvent::RemoveComplete);

    // The vanished drive stays selected and is tried once more.
    EXPECT_EQ(Control<TDriveBox>(*window, "cbDriver").Drive(), FG);
    EXPECT_THAT(Texts(FMessages), ElementsAre(kNotHandheld));
    EXPECT_EQ(Control<QLabel>(*window, "spDiskSize").text(), QStringLiteral("The device is not available."));
}

TEST_F(DrivesTest, HandheldPulledOutIsGoneThoughItsFolderStays)
{
    Plug(FG);
    auto window = StartWindow({}, true);
    TDriveBox& drives = Control<TDriveBox>(*window, "cbDriver");
    ASSERT_THAT(Names(*window, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));

    // As an fstab mount point or the demo's handheld: the mount goes, the
    // folder with its videos stays on the computer's own disk.
    Unplug(FG);
    ASSERT_NE(window->Watcher(), nullptr);
    window->Watcher()->rescan();

    EXPECT_THAT(Texts(FMessages), ElementsAre(kNotHandheld));
    EXPECT_EQ(window->Pane(TPaneSide::Handheld).Pane().RowCount(), 0);
    EXPECT_EQ(window->HighestVideoNumber(), 0);
    EXPECT_EQ(Control<QLabel>(*window, "spDiskSize").text(), QStringLiteral("The device is not available."));
    EXPECT_EQ(window->TotalBytes(), -1);

    // The box still names the vanished drive, with no entry of its own.
    EXPECT_EQ(drives.Drive(), FG);
    EXPECT_EQ(drives.currentIndex(), -1);
    EXPECT_EQ(drives.placeholderText().toStdString(), FG);
    EXPECT_EQ(drives.EntryOf(FG), -1);

    // Plugged in again and refreshed: its entry and its videos come back.
    Plug(FG);
    Control<QAction>(*window, "actRefresh").trigger();
    EXPECT_EQ(drives.currentIndex(), drives.EntryOf(FG));
    EXPECT_EQ(drives.placeholderText(), QString());
    EXPECT_THAT(Names(*window, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));
}

TEST_F(DrivesTest, PickingADifferentDriveLoadsItOnce)
{
    const std::string fixed = MakeFixedDisk("fixed");
    Plug(FG);
    Plug(fixed);
    auto window = StartWindow();
    TDriveBox& drives = Control<TDriveBox>(*window, "cbDriver");

    emit drives.activated(drives.EntryOf(fixed));

    // One notice: one load, although two change reports came.
    EXPECT_THAT(Texts(FMessages), ElementsAre(kNotHandheld));

    // Picking it again: the drive list loaded it last, so nothing happens.
    emit drives.activated(drives.EntryOf(fixed));
    EXPECT_EQ(FMessages.size(), 1u);
}

TEST_F(DrivesTest, PickingTheShownDriveAgainReloadsOnceAfterAForcedLoad)
{
    Plug(FG);
    auto window = StartWindow();
    TDriveBox& drives = Control<TDriveBox>(*window, "cbDriver");
    ASSERT_EQ(window->LoadedDrive(), (TDriveKey{FG, TDriveOrigin::Forced}));

    emit drives.activated(drives.EntryOf(FG));

    EXPECT_EQ(window->LoadedDrive(), (TDriveKey{FG, TDriveOrigin::DriveList}));
    EXPECT_FALSE(window->RefreshPspPane(TDriveKey{FG, TDriveOrigin::DriveList}, false));
    EXPECT_TRUE(window->RefreshPspPane(TDriveKey{FG, TDriveOrigin::DriveList}, true));
}

TEST_F(DrivesTest, KeysOfDifferentDrivesNeverMatch)
{
    Plug(FE);
    Plug(FG);
    auto window = StartWindow();
    TDriveBox& drives = Control<TDriveBox>(*window, "cbDriver");

    drives.SetDrive(FE);
    EXPECT_THAT(Names(*window, TPaneSide::Handheld), ElementsAre("M4V00005.MP4"));
    drives.SetDrive(FG);
    EXPECT_THAT(Names(*window, TPaneSide::Handheld), ElementsAre("M4V00007.MP4"));
}

TEST_F(DrivesTest, RefreshRescansBothPanesAndTheDriveList)
{
    const std::string folder = MakeFolder("videos");
    Plug(FG);
    auto window = StartWindow(folder);
    Put(TSampleFiles::Video("New here"), folder, "new.MP4");
    Put(TSampleFiles::Video("New there"), FG + "/MP_ROOT/100MNV01", "M4V00011.MP4");
    Plug(FE);

    Control<QAction>(*window, "actRefresh").trigger();

    EXPECT_THAT(Names(*window, TPaneSide::Computer), ElementsAre("new.MP4"));
    EXPECT_EQ(Names(*window, TPaneSide::Handheld).size(), 2u);
    EXPECT_EQ(window->HighestVideoNumber(), 11);
    EXPECT_EQ(Control<TDriveBox>(*window, "cbDriver").count(), 3);
    EXPECT_FALSE(window->IsBusy());
    EXPECT_EQ(Control<QLabel>(*window, "spDealFileName").text(), QStringLiteral("Ready"));
    EXPECT_THAT(Texts(FMessages), IsEmpty()) << "refresh asks nothing about the new drive";
}

} // namespace
