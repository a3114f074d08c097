// The locks a batch takes on the window: the transfers lock almost every
// command, the deletion a smaller set. Each lock is one list of the
// controls and commands it switches, in the order they are switched.

#include "ui/Main.h"

#include <QPalette>

namespace {

const QColor kDriveBoxIdle{0, 0, 0};
const QColor kDriveBoxLocked{128, 128, 128};

} // namespace

void TfrmVantrel::BuildLockLists()
{
    FTransferLock = {
        &lvPC, &edtPath, &actBrowse, &actMoveToPsp, &actMnMoveToPsp, &actCopyToPsp, &actMnCopyToPsp,
        &actEditPCTitle, &actOpenFolder, &miPCAsc, &miPCDesc,
        &actPCSortNone, &actPCTitleAsc, &actPCTitleDesc, &actPCFileNameAsc, &actPCFileNameDesc,
        &actPCSizeAsc, &actPCSizeDesc, &actPCWriteTimeAsc, &actPCWriteTimeDesc,
        &miPSPAsc, &miPSPDesc,
        &actPSPSortNone, &actPSPTitleAsc, &actPSPTitleDesc, &actPSPFileNameAsc, &actPSPFileNameDesc,
        &actPSPSizeAsc, &actPSPSizeDesc, &actPSPWriteTimeAsc, &actPSPWriteTimeDesc,
        &lvPsp, &cbDriver, &actMoveToPc, &actMnMoveToPc, &actCopyToPc, &actMnCopyToPc,
        &actDeletePspFile, &actMnDeletePspFile, &actEditPSPTitle, &actRefresh,
    };
    FDeleteLock = {
        &cbDriver, &lvPsp, &actMoveToPsp, &actMnMoveToPsp, &actCopyToPsp, &actMnCopyToPsp,
        &actMoveToPc, &actMnMoveToPc, &actCopyToPc, &actMnCopyToPc, &actMnDeletePspFile,
        &actRefresh, &actEditPCTitle, &actEditPSPTitle, &miPSPAsc, &miPSPDesc,
        &actPSPSortNone, &actPSPTitleAsc, &actPSPTitleDesc, &actPSPFileNameAsc, &actPSPFileNameDesc,
        &actPSPSizeAsc, &actPSPSizeDesc, &actPSPWriteTimeAsc, &actPSPWriteTimeDesc,
    };
}

void TfrmVantrel::SwitchLock(const std::vector<TLockable>& controls, bool Value)
{
    for (const TLockable& control : controls)
        std::visit([Value](auto* target) { target->setEnabled(Value); }, control);

    // Restyling the drive box must not read as a pick of a drive.
    FDriveListReady = false;
    if (Value) {
        pbDealing.setValue(0);
        spDealFileName.setText(QStringLiteral("Ready"));
    }
    ShowDriveBoxLocked(!Value);
    FDriveListReady = true;
}

void TfrmVantrel::EnableTransferControls(bool Value)
{
    SwitchLock(FTransferLock, Value);
}

void TfrmVantrel::EnableDeleteControls(bool Value)
{
    SwitchLock(FDeleteLock, Value);
}

void TfrmVantrel::ShowDriveBoxLocked(bool locked)
{
    QPalette palette = cbDriver.palette();
    const QColor& colour = locked ? kDriveBoxLocked : kDriveBoxIdle;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::ButtonText, colour);
    cbDriver.setPalette(palette);
}
