// Which drive the handheld pane shows and when it reloads: the drive
// list, devices arriving and leaving, the refresh command, the folder
// dialog, Enter in the path box, and the space display.

#include "ui/Main.h"

#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/MountLookup.h"
#include "ui/Cursors.h"
#include "ui/Dialogs.h"
#include "ui/Look.h"
#include "ui/SpaceText.h"

#include <QScopedValueRollback>
#include <QTimer>

namespace {

constexpr const char* kConnectQuestion = "New device is detected. Do you want to connect this device?";

// Sets `flag` for a scope and clears it on every way out.
class TBusyScope {
public:
    explicit TBusyScope(bool& flag) : FFlag(flag) { FFlag = true; }
    ~TBusyScope() { FFlag = false; }
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

private:
    bool& FFlag;
};

} // namespace

void TfrmVantrel::cbDriverChange()
{
    if (FDriveListReady)
        RefreshPspPane(TDriveKey{cbDriver.Drive(), TDriveOrigin::DriveList}, false);
}

void TfrmVantrel::DriveChangeHandler(TDeviceEvent event)
{
    if (FBatchRunning) {
        // Handled once the batch has ended. A batch whose handheld went
        // away stops now: nothing more is written where it was mounted.
        FHeldDeviceEvents.push_back(event);
        if (event == TDeviceEvent::RemoveComplete && !FBatchDrive.empty() && !IsMountedDrive(FBatchDrive))
            FStopRequested = true;
        return;
    }
    if (FBusy)
        return;
    if (FScanDepth > 0) {
        // A scan is letting the event loop run before it lists; a load
        // started now would run inside it and the outer scan would add
        // its rows on top. The event is handled once the scan is done.
        QTimer::singleShot(0, this, [this, event] { DriveChangeHandler(event); });
        return;
    }
    switch (event) {
    case TDeviceEvent::Arrival: {
        // The program's own rebuild must not load; every removable drive
        // is offered, the last of the list first, until one is taken.
        const QScopedValueRollback notReady(FDriveListReady, false);
        cbDriver.Rebuild();
        for (int entry = cbDriver.count() - 1; entry >= 0; --entry) {
            const std::string drive = cbDriver.EntryDrive(entry);
            if (!IsRemovableDrive(drive))
                continue;
            if (ShowMessage(kConnectQuestion, TMessageKind::Question) == TMessageButton::Yes) {
                cbDriver.SetDrive(drive);
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
        cbDriver.Rebuild();
        break;
    }
}

void TfrmVantrel::actRefreshExecute()
{
    {
        const TBusyScope busy(FBusy);
        std::optional<TUpdateBracket> computerBracket;
        const std::string folder = PathBoxText();
        if (platform::IsDirectory(folder)) {
            // The computer pane repaints only once the handheld pane is
            // refreshed as well.
            computerBracket.emplace(lvPC);
            LoadPcFolder(folder);
        }
        FDriveListReady = false;
        cbDriver.Rebuild();
        FDriveListReady = true;
        RefreshPspPane(TDriveKey{cbDriver.Drive(), TDriveOrigin::Forced}, true);
    }
    spDealFileName.setText(QStringLiteral("Ready"));
}

void TfrmVantrel::actBrowseExecute()
{
    const std::string current = PathBoxText();
    const std::string initial = platform::IsDirectory(current) ? current : std::string();
    const std::optional<std::string> chosen = ChooseFolder(initial);
    if (!chosen)
        return;
    SetPathBoxText(*chosen);
    {
        const TWaitCursor wait;
        LoadPcFolder(*chosen);
    }
    lvPC.FocusFirstRow();
}

void TfrmVantrel::edtPathKeyDown(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    ClearPane(TPaneSide::Computer);
    const std::string folder = PathBoxText();
    if (!platform::IsDirectory(folder))
        return;
    SetPathBoxText(platform::WithTrailingSlash(folder));
    {
        const TWaitCursor wait;
        LoadPcFolder(PathBoxText());
    }
    lvPC.FocusFirstRow();
}

void TfrmVantrel::ShowDiskSpace()
{
    FFreeBytes = 0;
    FTotalBytes = 0;
    const std::string drive = cbDriver.Drive();
    const DiskSpace space = drive.empty() ? DiskSpace{} : QueryDiskSpace(drive);
    FTotalBytes = space.totalBytes;
    FFreeBytes = space.freeBytes;
    UpdateSpaceWarning();
    if (!(FTotalBytes > 0)) {
        if (lvPsp.Pane().RowCount() > 0)
            ClearPane(TPaneSide::Handheld);
        spDiskSize.setText(QString::fromLatin1(kDeviceNotAvailable));
        return;
    }
    spDiskSize.setText(QString::fromStdString(FormatDiskSpace(FFreeBytes, FTotalBytes)));
}

void TfrmVantrel::UpdateSpaceWarning()
{
    const TPaneModel& computer = lvPC.Pane();
    const int selected = computer.SelectedCount();
    double bytes = 0;
    for (int row = 0, added = 0; row < computer.RowCount() && added < selected; ++row) {
        if (!computer.Row(row).Selected)
            continue;
        const TFileInfo& info = computer.RecordAt(row);
        bytes += info.Size + static_cast<double>(info.ThumbSize);
        ++added;
    }
    QPalette palette = spDiskSize.palette();
    palette.setColor(QPalette::WindowText,
                     SpaceWarning(selected, bytes, FFreeBytes, FTotalBytes) ? kSpaceShort : kSpaceFits);
    spDiskSize.setPalette(palette);
}
