// The pop-up menus' twins of the transfer commands, and drops: rows of
// one pane dragged onto the other, and video files dragged in from the
// desktop's file manager onto the handheld pane.

#include "ui/Main.h"
#include "ui/MainForm.h"

#include "catalogue/uClass.h"
#include "platform/FileSystem.h"
#include "platform/ScopeExit.h"
#include "ui/Dialogs.h"

#include <QMimeData>
#include <QUrl>

namespace {

// Dropped files that are not videos, named once after the drop.
std::string SkippedText(const std::vector<std::string>& skipped)
{
    std::string text = "Only .MP4 videos can be copied to the PSP. These files were left out:";
    for (const std::string& path : skipped)
        text += "\n" + path;
    return text;
}

std::vector<std::string> LocalFiles(const QMimeData& data)
{
    std::vector<std::string> files;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile())
            files.push_back(url.toLocalFile().toStdString());
    }
    return files;
}

bool IsVideoName(const std::string& path)
{
    const std::string name = platform::NameOf(path);
    return name.size() >= 4 && platform::AsciiUpper(name.substr(name.size() - 4)) == kVideoExtension;
}

} // namespace

void TfrmVantrel::RunMenuCommand(QAction& command)
{
    // Neither pane repaints its rows until the command is done; the
    // brackets end on every way out.
    const TUpdateBracket computer(FForm->lvPC);
    const TUpdateBracket handheld(FForm->lvPsp);
    command.trigger();
}

bool TfrmVantrel::lvDragOver(TPaneSide sender, const TPaneView* source, const QMimeData& data)
{
    // While a batch or a load runs a drop would be accepted and then
    // ignored: it is refused, so the pointer says so.
    if (BatchRefused())
        return false;
    if (source == nullptr) {
        // Files from the desktop go to the handheld only.
        return sender == TPaneSide::Handheld && !LocalFiles(data).empty();
    }
    // A pane never takes its own rows; either pane takes the other's.
    return (source == &FForm->lvPC || source == &FForm->lvPsp) && source != &Pane(sender);
}

void TfrmVantrel::lvDragDrop(TPaneSide sender, const TPaneView* source, const QMimeData& data, bool copyHeld)
{
    if (!lvDragOver(sender, source, data))
        return;
    repaint();
    if (source == nullptr) {
        // The file list is read now: the drop's data goes with the drag.
        QMetaObject::invokeMethod(
            this, [this, files = LocalFiles(data)] { CopyDroppedFiles(files); }, Qt::QueuedConnection);
        return;
    }
    // The batch runs once the drag has ended, so the desktop's drag
    // protocol is not held up for its length; no new drag starts meanwhile.
    const TPaneSide from = source == &FForm->lvPC ? TPaneSide::Computer : TPaneSide::Handheld;
    const bool copies = copyHeld || CopyDragMark(from) == 1;
    FForm->lvPC.SetDragAllowed(false);
    FForm->lvPsp.SetDragAllowed(false);
    QMetaObject::invokeMethod(
        this,
        [this, from, copies] {
            const TScopeExit restore([this, from] {
                FCopyDragMark[static_cast<int>(from)] = 0;
                FForm->lvPsp.SetDragAllowed(true);
                FForm->lvPC.SetDragAllowed(true);
            });
            if (from == TPaneSide::Computer)
                RunMenuCommand(copies ? FForm->actMnCopyToPsp : FForm->actMnMoveToPsp);
            else
                RunMenuCommand(copies ? FForm->actMnCopyToPc : FForm->actMnMoveToPc);
        },
        Qt::QueuedConnection);
}

void TfrmVantrel::CopyDroppedFiles(const std::vector<std::string>& files)
{
    // Dropped files travel as "&Copy ->" takes computer rows, and only
    // while that command is enabled (not during another batch).
    if (!FForm->actCopyToPsp.isEnabled())
        return;
    std::vector<std::string> skipped;
    TBatchSnapshot dropped;
    for (const std::string& file : files) {
        std::optional<TFileInfo> info;
        if (IsVideoName(file) && FScanner)
            info = FScanner->DescribeFile(file);
        if (info)
            AddToSnapshot(dropped, TBatchItem{-1, std::move(*info)});
        else
            skipped.push_back(file);
    }
    if (!dropped.Items.empty()) {
        const TUpdateBracket computer(FForm->lvPC);
        const TUpdateBracket handheld(FForm->lvPsp);
        SendToPsp(TTransferKind::Copy, [&dropped] { return dropped; });
    }
    if (!skipped.empty())
        ShowMessage(SkippedText(skipped), TMessageKind::Information);
}
