// What the panes hold: rows from folder scans, and the loads of the
// computer folder and of the handheld's video folder.

#include "ui/Main.h"
#include "ui/MainForm.h"

#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "catalogue/HandheldFolder.h"
#include "ui/Cursors.h"
#include "ui/Dialogs.h"

namespace {

constexpr const char* kNotHandheld = "The current connected device is not PSP device.";

} // namespace

void TfrmVantrel::AddVideoRow(const TFileInfo& info)
{
    // The row's picture is decoded when the row is first shown.
    Pane(FScanTarget).AddRow(info, std::nullopt, FSortState);
}

void TfrmVantrel::ClearPane(TPaneSide which)
{
    TPaneView& pane = Pane(which);
    const TUpdateBracket bracket(pane);
    pane.ClearPane();
}

void TfrmVantrel::LoadPspPane()
{
    const std::string drive = FForm->cbDriver.Drive();
    if (!IsRemovableDrive(platform::WithTrailingSlash(drive))) {
        const TLoadGate::TYield notice(FLoads);
        ShowMessage(kNotHandheld, TMessageKind::Information);
    }
    if (!IsMounted(drive)) {
        // No drive selected, or one that has left the mount table: its
        // mount-point folder, if still there, is the computer's own.
        FDrives.HighestVideoNumber = 0;
        return;
    }
    const TUpdateBracket bracket(FForm->lvPsp);
    ScanInto(TPaneSide::Handheld, THandheldFolder::OnDrive(drive).Path(), FDrives.HighestVideoNumber, true);
}

bool TfrmVantrel::RefreshPspPane(const TDriveKey& key, bool force)
{
    if (FDrives.Loaded == key && !force)
        return false;
    {
        const TLoadGate::TLoad load(FLoads);
        const TWaitCursor wait;
        const TUpdateBracket bracket(FForm->lvPsp);
        ClearPane(TPaneSide::Handheld);
        LoadPspPane();
        FDrives.Loaded = key;
        ShowDiskSpace();
    }
    FForm->lvPsp.FocusFirstRow();
    ReportReady("handheld pane loaded");
    return true;
}

void TfrmVantrel::LoadPcFolder(const std::string& folder)
{
    const TLoadGate::TLoad load(FLoads);
    const TUpdateBracket bracket(FForm->lvPC);
    ClearPane(TPaneSide::Computer);
    int scratch = 0;
    ScanInto(TPaneSide::Computer, folder, scratch, false);
}

void TfrmVantrel::ScanInto(TPaneSide pane, const std::string& folder, int& highest, bool trackHighest)
{
    if (!FScanner)
        return;
    FScanTarget = pane;
    // The scan takes one turn of the event loop before it lists.
    const TLoadGate::TYield turn(FLoads);
    (void)FScanner->ScanFolder(folder, highest, trackHighest);
}
