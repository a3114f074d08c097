// Editing titles and file names in place: the commands that ask for an
// editor, the rule that decides whether one opens and where, and the
// commits that store a title in the video or rename its files.

#include "ui/Main.h"
#include "ui/MainForm.h"

#include "catalogue/PSPTitle.h"
#include "catalogue/VideoRename.h"
#include "platform/FileSystem.h"
#include "ui/Dialogs.h"
#include "ui/RowDelegate.h"

#include <QLineEdit>
#include <QMetaObject>

namespace {

constexpr const char* kNameTaken = "New file name is exist!";
constexpr const char* kRenameFailed = "Rename the file is failed!";

} // namespace

void TfrmVantrel::actEditPCTitleExecute()
{
    StartEdit(TPaneSide::Computer, TEditMode::Title);
}

void TfrmVantrel::actEditPSPTitleExecute()
{
    StartEdit(TPaneSide::Handheld, TEditMode::Title);
}

void TfrmVantrel::actModifyPcFileNameExecute()
{
    StartEdit(TPaneSide::Computer, TEditMode::FileName);
}

void TfrmVantrel::StartEdit(TPaneSide pane, TEditMode mode)
{
    // One edit at a time: a second F2 or F3 while an editor is open must
    // not change what the open one stores.
    if (EditorOpen())
        return;
    const int row = Pane(pane).FirstSelectedRow();
    // With nothing selected nothing opens, and nothing is left asked for.
    if (row < 0)
        return;
    FEdit.Requested = true;
    FEdit.Mode = mode;
    Pane(pane).OpenEditor(row);
    // The pane never asked (an editor is open there already): the request
    // is over. A refusal has ended it already.
    if (FEdit.Requested)
        EndEdit();
}

bool TfrmVantrel::EditorOpen() const
{
    return FForm->lvPC.Editor() != nullptr || FForm->lvPsp.Editor() != nullptr;
}

void TfrmVantrel::EndEdit()
{
    FEdit.Mode = TEditMode::None;
    FEdit.Requested = false;
}

std::optional<TEditStart> TfrmVantrel::lvEditing(TPaneSide pane, int row)
{
    TPaneView& view = Pane(pane);
    if (row < 0 || row >= view.Pane().RowCount() || FBusy) {
        EndEdit();
        return std::nullopt;
    }
    const TFileInfo& info = view.Pane().RecordAt(row);
    const QRect rowRect = view.visualRect(view.Rows().index(row));

    std::optional<std::string> text;
    TRowLine line = TRowLine::Title;
    if (FEdit.Requested) {
        FEdit.Requested = false;
        if (FEdit.Mode == TEditMode::Title && info.HasTitle) {
            text = info.Title;
        } else if (FEdit.Mode == TEditMode::FileName && pane == TPaneSide::Computer) {
            line = TRowLine::Name;
            text = info.FileName;
        }
    } else if (RowLineRect(rowRect, view.font(), TRowLine::Title).contains(FEdit.ClickPoint)) {
        if (info.HasTitle) {
            FEdit.Mode = TEditMode::Title;
            text = info.Title;
        }
    } else if (RowLineRect(rowRect, view.font(), TRowLine::Name).contains(FEdit.ClickPoint) &&
               pane == TPaneSide::Computer) {
        line = TRowLine::Name;
        FEdit.Mode = TEditMode::FileName;
        text = info.FileName;
    }
    if (!text) {
        EndEdit();
        return std::nullopt;
    }
    return TEditStart{*text, line};
}

void TfrmVantrel::lvEdited(TPaneSide pane, int row, const std::string& text)
{
    const TEditMode mode = FEdit.Mode;
    EndEdit();
    if (row < 0 || row >= Pane(pane).Pane().RowCount())
        return;
    // The commit and its boxes run once Qt has closed the editor: a box
    // lets the event loop run, and a pane reload meanwhile (a handheld
    // unplugged) would free the editor under Qt's own commit. The row is
    // found again by its file, which a reload may have moved or removed.
    const std::string path = Pane(pane).Pane().RecordAt(row).FullPath;
    QMetaObject::invokeMethod(this, [this, pane, mode, path, text] {
        const TPaneModel& model = Pane(pane).Pane();
        for (int current = 0; current < model.RowCount(); ++current) {
            // The path alone: a row only listed so far stays undescribed.
            if (model.Row(current).Info->FileInfo.FullPath != path)
                continue;
            if (mode == TEditMode::Title)
                CommitTitle(pane, current, text);
            else if (mode == TEditMode::FileName && pane == TPaneSide::Computer)
                CommitFileName(current, text);
            return;
        }
    }, Qt::QueuedConnection);
}

void TfrmVantrel::CommitTitle(TPaneSide pane, int row, const std::string& text)
{
    TPaneView& view = Pane(pane);
    TFileInfo& info = view.RecordForEdit(row);
    const PSPTitle::SaveResult result = PSPTitle::WriteTitle(info.FullPath, text);
    switch (result.status) {
    case PSPTitle::SaveResult::Status::OpenFailed:
        // The row shows the corrupted-data line from now on.
        info.HasTitle = false;
        ShowMessage(result.errorText, TMessageKind::Error);
        break;
    case PSPTitle::SaveResult::Status::Refused:
    case PSPTitle::SaveResult::Status::SaveFailed:
        ShowMessage(result.errorText, TMessageKind::Error);
        break;
    case PSPTitle::SaveResult::Status::Saved:
        info.Title = text;
        // A save changes the file's time and may change its size; a
        // stale size would mislead the free-space test.
        if (const auto status = platform::StatPath(info.FullPath)) {
            info.WriteTime = FileTimeToDateTime(status->Modified);
            info.Size = static_cast<double>(status->Size);
        }
        break;
    }
    view.RowChanged(row);
    if (pane == TPaneSide::Computer)
        UpdateSpaceWarning();
}

void TfrmVantrel::CommitFileName(int row, const std::string& text)
{
    TFileInfo& info = FForm->lvPC.RecordForEdit(row);
    const std::string thumbnail = info.ThumbPath;
    switch (RenameVideo(info, text)) {
    case TRenameOutcome::Renamed:
    case TRenameOutcome::NotRenamed:
        break;
    case TRenameOutcome::NameTaken:
        ShowMessage(kNameTaken, TMessageKind::Plain);
        break;
    case TRenameOutcome::Failed:
        ShowMessage(kRenameFailed, TMessageKind::Plain);
        break;
    case TRenameOutcome::VideoOnly:
        ShowMessage(SplitRenameText(info.FullPath, thumbnail), TMessageKind::Error);
        break;
    }
    FForm->lvPC.RowChanged(row);
}
