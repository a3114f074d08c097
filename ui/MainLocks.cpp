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
        TPaneSide::Computer,
        &miPSPAsc, &miPSPDesc,
        TPaneSide::Handheld,
        &lvPsp, &cbDriver, &actMoveToPc, &actMnMoveToPc, &actCopyToPc, &actMnCopyToPc,
        &actDeletePspFile, &actMnDeletePspFile, &actEditPSPTitle, &actRefresh,
    };
    FDeleteLock = {
        &cbDriver, &lvPsp, &actMoveToPsp, &actMnMoveToPsp, &actCopyToPsp, &actMnCopyToPsp,
        &actMoveToPc, &actMnMoveToPc, &actCopyToPc, &actMnCopyToPc, &actMnDeletePspFile,
        &actRefresh, &actEditPCTitle, &actEditPSPTitle, &miPSPAsc, &miPSPDesc,
        TPaneSide::Handheld,
    };
}

void TfrmVantrel::SwitchLock(const std::vector<TLockable>& controls, bool Value)
{
    const auto switchSorts = [this, Value](TPaneSide pane) {
        for (std::size_t i = 0; i < kSortCommandCount; ++i) {
            if (kSortCommands[i].Pane == pane)
                FSortActions[i]->setEnabled(Value);
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
