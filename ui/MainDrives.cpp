// Which drive the handheld pane shows and when it reloads: the drive
// list, devices arriving and leaving, the refresh command, the folder
// dialog, Enter in the path box, and the space display.

#include "ui/Main.h"
#include "ui/MainForm.h"

#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "ui/Cursors.h"
#include "ui/Dialogs.h"
#include "ui/Look.h"
#include "ui/SpaceText.h"

#include <QScopedValueRollback>

namespace {

constexpr const char* kConnectQuestion = "New device is detected. Do you want to connect this device?";

TLoadRequest RequestOf(TDeviceEvent event)
{
    return event == TDeviceEvent::Arrival ? TLoadRequest::Arrival : TLoadRequest::Removal;
}

} // namespace

void TfrmVantrel::cbDriverChange()
{
    if (!FDrives.ListReady || FLoads.Defer(TLoadRequest::DriveList))
        return;
    RefreshPspPane(TDriveKey{FForm->cbDriver.Drive(), TDriveOrigin::DriveList}, false);
}

void TfrmVantrel::DriveChangeHandler(TDeviceEvent event)
{
    if (FBatch.Running) {
        // Handled once the batch has ended. A batch whose handheld went
        // away stops now: nothing more is written where it was mounted.
        FBatch.HeldDeviceEvents.push_back(event);
        if (event == TDeviceEvent::RemoveComplete && !FBatch.Drive.empty() && !IsMounted(FBatch.Drive))
            FBatch.StopRequested = true;
        return;
    }
    // Dropped while busy; handled after a load that is letting the event
    // loop run, not inside it.
    if (FBusy || FLoads.Defer(RequestOf(event)))
        return;
    const TLoadGate::TLoad load(FLoads);
    switch (event) {
    case TDeviceEvent::Arrival: {
        // The program's own rebuild must not load; every removable drive
        // is offered, the last of the list first, until one is taken.
        const QScopedValueRollback notReady(FDrives.ListReady, false);
        FForm->cbDriver.Rebuild();
        for (int entry = FForm->cbDriver.count() - 1; entry >= 0; --entry) {
            const std::string drive = FForm->cbDriver.EntryDrive(entry);
            if (!IsRemovableDrive(drive))
                continue;
            if (AskToConnect() == TMessageButton::Yes) {
                FForm->cbDriver.SetDrive(drive);
                RefreshPspPane(TDriveKey{drive, TDriveOrigin::Forced}, true);
                break;
            }
        }
        break;
    }
    case TDeviceEvent::RemoveComplete:
        // The rebuild's change report reloads the selected drive unless
        // the drive list itself loaded it last.
        ClearPane(TPaneSide::Handheld);
        FForm->cbDriver.Rebuild();
        break;
    }
}

void TfrmVantrel::actRefreshExecute()
{
    if (FLoads.Defer(TLoadRequest::Refresh))
        return;
    {
        const TLoadGate::TLoad load(FLoads);
        const QScopedValueRollback busy(FBusy, true);
        std::optional<TUpdateBracket> computerBracket;
        const std::string folder = PathBoxText();
        if (platform::IsDirectory(folder)) {
            // The computer pane repaints only once the handheld pane is
            // refreshed as well.
            computerBracket.emplace(FForm->lvPC);
            LoadPcFolder(folder);
        }
        {
            const QScopedValueRollback notReady(FDrives.ListReady, false);
            FForm->cbDriver.Rebuild();
        }
        RefreshPspPane(TDriveKey{FForm->cbDriver.Drive(), TDriveOrigin::Forced}, true);
    }
    FForm->spDealFileName.setText(QStringLiteral("Ready"));
}

void TfrmVantrel::actBrowseExecute()
{
    if (FLoads.Defer(TLoadRequest::Browse))
        return;
    const TLoadGate::TLoad load(FLoads);
    const std::string current = PathBoxText();
    const std::string initial = platform::IsDirectory(current) ? current : std::string();
    std::optional<std::string> chosen;
    {
        const TLoadGate::TYield dialog(FLoads);
        chosen = ChooseFolder(initial);
    }
    if (!chosen)
        return;
    SetPathBoxText(*chosen);
    {
        const TWaitCursor wait;
        LoadPcFolder(*chosen);
    }
    FForm->lvPC.FocusFirstRow();
}

void TfrmVantrel::edtPathKeyDown(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    if (FLoads.Defer(TLoadRequest::PathEnter))
        return;
    const TLoadGate::TLoad load(FLoads);
    ClearPane(TPaneSide::Computer);
    const std::string folder = PathBoxText();
    if (!platform::IsDirectory(folder))
        return;
    SetPathBoxText(platform::WithTrailingSlash(folder));
    {
        const TWaitCursor wait;
        LoadPcFolder(PathBoxText());
    }
    FForm->lvPC.FocusFirstRow();
}

void TfrmVantrel::ShowDiskSpace()
{
    FDrives.FreeBytes = 0;
    FDrives.TotalBytes = 0;
    const std::string drive = FForm->cbDriver.Drive();
    const DiskSpace space = drive.empty() ? DiskSpace{} : QueryDiskSpace(drive);
    FDrives.TotalBytes = space.totalBytes;
    FDrives.FreeBytes = space.freeBytes;
    UpdateSpaceWarning();
    if (!(FDrives.TotalBytes > 0)) {
        if (FForm->lvPsp.Pane().RowCount() > 0)
            ClearPane(TPaneSide::Handheld);
        FForm->spDiskSize.setText(QString::fromLatin1(kDeviceNotAvailable));
        return;
    }
    FForm->spDiskSize.setText(QString::fromStdString(FormatDiskSpace(FDrives.FreeBytes, FDrives.TotalBytes)));
}

void TfrmVantrel::UpdateSpaceWarning()
{
    const TPaneModel& computer = FForm->lvPC.Pane();
    const int selected = computer.SelectedCount();
    double bytes = 0;
    for (int row = 0, added = 0; row < computer.RowCount() && added < selected; ++row) {
        if (!computer.Row(row).Selected)
            continue;
        const TFileInfo& info = computer.RecordAt(row);
        bytes += info.Size + static_cast<double>(info.ThumbSize);
        ++added;
    }
    QPalette palette = FForm->spDiskSize.palette();
    palette.setColor(QPalette::WindowText,
                     SpaceWarning(selected, bytes, FDrives.FreeBytes, FDrives.TotalBytes) ? kSpaceShort : kSpaceFits);
    FForm->spDiskSize.setPalette(palette);
}

TMessageButton TfrmVantrel::AskToConnect()
{
    const TLoadGate::TYield question(FLoads);
    return ShowMessage(kConnectQuestion, TMessageKind::Question);
}

void TfrmVantrel::RunLoadRequest(TLoadRequest request)
{
    // A transfer or deletion that began meanwhile owns the panes: what
    // waited is dropped, as device events are while busy.
    if (FClosed || FBusy)
        return;
    switch (request) {
    case TLoadRequest::PathEnter:
        edtPathKeyDown(Qt::Key_Return);
        break;
    case TLoadRequest::Browse:
        actBrowseExecute();
        break;
    case TLoadRequest::Refresh:
        actRefreshExecute();
        break;
    case TLoadRequest::DriveList:
        cbDriverChange();
        break;
    case TLoadRequest::Arrival:
        DriveChangeHandler(TDeviceEvent::Arrival);
        break;
    case TLoadRequest::Removal:
        DriveChangeHandler(TDeviceEvent::RemoveComplete);
        break;
    }
}
