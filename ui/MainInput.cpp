// Keys, mouse presses, the wheel, the end of drags and menu requests of
// the two panes, and the computer pane's selection hook.

#include "ui/Main.h"
#include "ui/MainForm.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace {

enum class TKeyPane { Computer, Handheld, Both };

// Selections the keys make.
void SelectAll(TPaneView& pane)
{
    pane.SelectOnly(0, pane.Pane().RowCount() - 1);
}

void SelectFirst(TPaneView& pane)
{
    pane.SelectOnly(0, 0);
}

void SelectLast(TPaneView& pane)
{
    const int last = pane.Pane().RowCount() - 1;
    pane.SelectOnly(last, last);
}

bool Applies(TKeyPane keyPane, TPaneSide pane)
{
    return keyPane == TKeyPane::Both || (keyPane == TKeyPane::Computer) == (pane == TPaneSide::Computer);
}

} // namespace

void TfrmVantrel::BindPaneHooks()
{
    for (TPaneSide side : {TPaneSide::Computer, TPaneSide::Handheld}) {
        TPaneHooks& hooks = Pane(side).Hooks;
        hooks.KeyDown = [this, side](const QKeyEvent& key) { lvKeyDown(side, key); };
        hooks.LeftButtonDown = [this, side](const QMouseEvent& press) { lvMouseDown(side, press); };
        hooks.Wheel = [this, side] { lvMouseWheel(side); };
        hooks.ContextMenu = [this, side](int row) { lvItemContextMenu(side, row); };
        hooks.Editing = [this, side](int row) { return lvEditing(side, row); };
        hooks.Edited = [this, side](int row, const std::string& text) { lvEdited(side, row, text); };
        hooks.EditEnded = [this] { EndEdit(); };
        hooks.DragCopies = [this, side] { return CopyDragMark(side) == 1; };
        hooks.DragEnded = [this, side] { lvEndDrag(side); };
        hooks.AcceptsDrop = [this, side](const TPaneView* source, const QMimeData& data) {
            return lvDragOver(side, source, data);
        };
        hooks.Dropped = [this, side](const TPaneView* source, const QMimeData& data, bool copies) {
            lvDragDrop(side, source, data, copies);
        };
        Pane(side).SetCopyCursor(FCopyDragCursor);
    }
    // A new selection of computer videos may or may not fit the handheld.
    connect(FForm->lvPC.selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdateSpaceWarning(); });
}

void TfrmVantrel::lvKeyDown(TPaneSide pane, const QKeyEvent& key)
{
    // One line per key: every line that matches runs, in this order. A
    // command runs only while enabled; Delete is off while an editor is
    // open, so it deletes text in the editor, not videos.
    struct TKeyBinding {
        TKeyPane Pane;
        int Key;
        bool NeedsCtrl;
        QAction TMainForm::*Command;
        void (*Select)(TPaneView& pane);
        bool OffWhileEditing;
    };
    static const TKeyBinding table[] = {
        {TKeyPane::Handheld, Qt::Key_Delete, false, &TMainForm::actMnDeletePspFile, nullptr, true},
        {TKeyPane::Handheld, Qt::Key_F2, false, &TMainForm::actEditPSPTitle, nullptr, false},
        {TKeyPane::Computer, Qt::Key_F2, false, &TMainForm::actEditPCTitle, nullptr, false},
        {TKeyPane::Computer, Qt::Key_F3, false, &TMainForm::actModifyPcFileName, nullptr, false},
        {TKeyPane::Both, Qt::Key_A, true, nullptr, SelectAll, false},
        {TKeyPane::Both, Qt::Key_Up, true, nullptr, SelectFirst, false},
        {TKeyPane::Both, Qt::Key_Down, true, nullptr, SelectLast, false},
    };
    const bool ctrl = key.modifiers().testFlag(Qt::ControlModifier);
    for (const TKeyBinding& binding : table) {
        if (!Applies(binding.Pane, pane) || binding.Key != key.key() || (binding.NeedsCtrl && !ctrl))
            continue;
        if (binding.OffWhileEditing && EditorOpen())
            continue;
        if (binding.Command != nullptr)
            ((*FForm).*binding.Command).trigger();
        else
            binding.Select(Pane(pane));
    }
}

void TfrmVantrel::lvMouseDown(TPaneSide pane, const QMouseEvent& press)
{
    const Qt::KeyboardModifiers modifiers = press.modifiers();
    // Set at every press, so an Alt press that started no drag leaves no
    // mark for the next plain drag.
    FCopyDragMark[static_cast<int>(pane)] = modifiers.testFlag(Qt::AltModifier) ? 1 : 0;
    // Range and toggle selection never start an edit.
    if (modifiers.testFlag(Qt::ControlModifier) || modifiers.testFlag(Qt::ShiftModifier))
        return;
    const int row = Pane(pane).FirstSelectedRow();
    if (FBusy || row < 0)
        return;
    FEdit.ClickPoint = press.position().toPoint();
    Pane(pane).OpenEditor(row);
}

void TfrmVantrel::lvMouseWheel(TPaneSide pane)
{
    if (QLineEdit* editor = Pane(pane).Editor())
        editor->hide();
}

void TfrmVantrel::lvEndDrag(TPaneSide pane)
{
    FCopyDragMark[static_cast<int>(pane)] = 0;
    if (pane == TPaneSide::Handheld)
        FForm->lvPsp.viewport()->update();
}

void TfrmVantrel::lvItemContextMenu(TPaneSide pane, int focusedRow)
{
    if (focusedRow < 0 || FBusy)
        return;
    QMenu& menu = pane == TPaneSide::Computer ? FForm->pmPC : FForm->pmPSP;
    menu.popup(QCursor::pos());
}
