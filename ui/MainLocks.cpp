// The locks a batch takes on the window: the transfers lock almost every
// command, the deletion a smaller set. Each lock is one list of the
// controls and commands it switches, in the order they are switched.

#include "ui/Main.h"
#include "ui/MainForm.h"

#include <QPalette>

namespace {

const QColor kDriveBoxIdle{0, 0, 0};
const QColor kDriveBoxLocked{128, 128, 128};

} // namespace

void TfrmVantrel::BuildLockLists()
{
    FTransferLock = {
        &FForm->lvPC, &FForm->edtPath, &FForm->actBrowse, &FForm->actMoveToPsp, &FForm->actMnMoveToPsp, &FForm->actCopyToPsp, &FForm->actMnCopyToPsp,
        &FForm->actEditPCTitle, &FForm->actOpenFolder, &FForm->miPCAsc, &FForm->miPCDesc,
        TPaneSide::Computer,
        &FForm->miPSPAsc, &FForm->miPSPDesc,
        TPaneSide::Handheld,
        &FForm->lvPsp, &FForm->cbDriver, &FForm->actMoveToPc, &FForm->actMnMoveToPc, &FForm->actCopyToPc, &FForm->actMnCopyToPc,
        &FForm->actDeletePspFile, &FForm->actMnDeletePspFile, &FForm->actEditPSPTitle, &FForm->actRefresh,
    };
    FDeleteLock = {
        &FForm->cbDriver, &FForm->lvPsp, &FForm->actMoveToPsp, &FForm->actMnMoveToPsp, &FForm->actCopyToPsp, &FForm->actMnCopyToPsp,
        &FForm->actMoveToPc, &FForm->actMnMoveToPc, &FForm->actCopyToPc, &FForm->actMnCopyToPc, &FForm->actMnDeletePspFile,
        &FForm->actRefresh, &FForm->actEditPCTitle, &FForm->actEditPSPTitle, &FForm->miPSPAsc, &FForm->miPSPDesc,
        TPaneSide::Handheld,
    };
}

void TfrmVantrel::SwitchLock(const std::vector<TLockable>& controls, bool Value)
{
    const auto switchSorts = [this, Value](TPaneSide pane) {
        for (std::size_t i = 0; i < kSortCommandCount; ++i) {
            if (kSortCommands[i].Pane == pane)
                FForm->FSortActions[i]->setEnabled(Value);
        }
    };
    for (const TLockable& control : controls) {
        if (QWidget* const* widget = std::get_if<QWidget*>(&control))
            (*widget)->setEnabled(Value);
        else if (QAction* const* action = std::get_if<QAction*>(&control))
            (*action)->setEnabled(Value);
        else
            switchSorts(std::get<TPaneSide>(control));
    }

    // Restyling the drive box must not read as a pick of a drive.
    FDrives.ListReady = false;
    if (Value) {
        FForm->pbDealing.setValue(0);
        FForm->spDealFileName.setText(QStringLiteral("Ready"));
    }
    ShowDriveBoxLocked(!Value);
    FDrives.ListReady = true;
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
    QPalette palette = FForm->cbDriver.palette();
    const QColor& colour = locked ? kDriveBoxLocked : kDriveBoxIdle;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::ButtonText, colour);
    FForm->cbDriver.setPalette(palette);
}
