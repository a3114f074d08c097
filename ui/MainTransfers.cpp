// The transfers both ways and the deletion from the handheld, as the
// window runs them: the checks before a batch, the lock, the engine's
// hooks onto the panes and the status bar, and the closing step that
// returns the window to idle on every way out.

#include "ui/Main.h"
#include "ui/MainForm.h"

#include "catalogue/HandheldFolder.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/ScopeExit.h"
#include "transfer/AfterBatchText.h"
#include "transfer/BatchChecks.h"
#include "transfer/ConversionPlan.h"
#include "transfer/Deletion.h"
#include "ui/Dialogs.h"
#include "ui/EscapeWatcher.h"

#include <QApplication>
#include <QTimer>

#include <utility>

namespace {

constexpr const char* kNoSpace = "Not enough free disk space for storage.";
constexpr const char* kDeleteQuestion = "Are you sure you want to delete the selected file from the PSP list?";
constexpr const char* kStopHint = "Press Esc to stop";
constexpr int kEndRetryMs = 20;
constexpr const char* kConvertQuestion = "%1 of these videos will not play on the PSP. Convert them on the way?";

std::string TooLargeText(const TFileInfo& info, const std::string& fsType)
{
    return info.FullPath + " is 4 GB or larger; the " + fsType
         + " file system of the destination cannot hold it. Nothing was copied.";
}

// True when the batch may start; otherwise says why.
bool PassesChecks(const TBatchVerdict& verdict)
{
    switch (verdict.Check) {
    case TBatchCheck::Go: return true;
    case TBatchCheck::NoRoom: ShowMessage(kNoSpace, TMessageKind::Information); break;
    case TBatchCheck::TooLarge: ShowMessage(TooLargeText(*verdict.TooLarge, verdict.FsType), TMessageKind::Error); break;
    }
    return false;
}

} // namespace

void TfrmVantrel::actMoveToPspExecute()
{
    TransferToPsp(TTransferKind::Move);
}

void TfrmVantrel::actCopyToPspExecute()
{
    TransferToPsp(TTransferKind::Copy);
}

void TfrmVantrel::actMoveToPcExecute()
{
    TransferToPc(TTransferKind::Move);
}

void TfrmVantrel::actCopyToPcExecute()
{
    TransferToPc(TTransferKind::Copy);
}

bool TfrmVantrel::BatchRefused() const
{
    // A batch or a load may be running the event loop under this command:
    // a second batch would work from rows that are about to change.
    return FBusy || FBatch.Running || FLoads.Running();
}

void TfrmVantrel::TransferToPsp(TTransferKind kind)
{
    if (BatchRefused() || FForm->lvPC.Pane().SelectedCount() == 0)
        return;
    SendToPsp(kind, [this] { return TakeSnapshot(FForm->lvPC.Pane()); });
}

void TfrmVantrel::SendToPsp(TTransferKind kind, const std::function<TBatchSnapshot()>& takeSnapshot)
{
    if (BatchRefused())
        return;
    ResetProgress();
    if (FDrives.TotalBytes == 0) {
        ClearPane(TPaneSide::Handheld);
        return;
    }
    TBatchSnapshot snapshot = takeSnapshot();
    if (!AskToConvert(snapshot))
        return;
    const std::string folder = PspVideoFolder();
    if (!PassesChecks(CheckBatch(snapshot, folder, FDrives.FreeBytes)))
        return;
    const TTransferRequest request{TTransferWay::ToHandheld, kind, folder, &FDrives.HighestVideoNumber, FForm->cbDriver.Drive(), {}};
    RunTransferBatch(request, snapshot, TPaneSide::Computer, TPaneSide::Handheld);
}

bool TfrmVantrel::AskToConvert(TBatchSnapshot& snapshot)
{
    const std::vector<std::size_t> unplayable = UnplayableItems(snapshot);
    if (unplayable.empty())
        return true;
    const QString question = QString::fromLatin1(kConvertQuestion).arg(unplayable.size());
    switch (ShowMessage(question.toStdString(), TMessageKind::QuestionWithCancel)) {
    case TMessageButton::Yes: PlanConversions(snapshot, unplayable); return true;
    case TMessageButton::No: return true;
    default: return false;
    }
}

void TfrmVantrel::TransferToPc(TTransferKind kind)
{
    if (BatchRefused() || FForm->lvPsp.Pane().SelectedCount() == 0)
        return;
    const std::string boxText = PathBoxText();
    if (!platform::IsDirectory(boxText))
        return;
    ResetProgress();
    if (FDrives.TotalBytes == 0) {
        ClearPane(TPaneSide::Handheld);
        return;
    }
    const TBatchSnapshot snapshot = TakeSnapshot(FForm->lvPsp.Pane());
    const std::string folder = platform::WithTrailingSlash(boxText);
    // The free space of the file system that holds the folder itself.
    if (!PassesChecks(CheckBatch(snapshot, folder, QueryFolderSpace(boxText).freeBytes)))
        return;
    // A copy shows the folder as it is used, with its trailing '/'.
    if (kind == TTransferKind::Copy)
        SetPathBoxText(folder);
    const TTransferRequest request{TTransferWay::ToComputer, kind, folder, nullptr, {}, FForm->cbDriver.Drive()};
    RunTransferBatch(request, snapshot, TPaneSide::Handheld, TPaneSide::Computer);
}

void TfrmVantrel::RunTransferBatch(const TTransferRequest& request, const TBatchSnapshot& snapshot, TPaneSide from,
                                   TPaneSide to)
{
    EnableTransferControls(false);
    FBatch.Progress.Start(snapshot.NeededBytes, static_cast<int>(snapshot.Items.size()));
    // The panes stay usable (scrolling, selecting) while the commands are
    // locked; the batch works from its snapshot.
    FForm->lvPC.setEnabled(true);
    FForm->lvPsp.setEnabled(true);

    RunBatch(
        [&] {
            TTransferHooks hooks;
            static_cast<TBatchHooks&>(hooks) = WindowBatchHooks();
            hooks.Arrived = [this, from, to](const TBatchItem& source, const TFileInfo& arrived, bool sourceDeleted) {
                AddRow(to, arrived);
                if (sourceDeleted)
                    RemoveRow(from, source.Row);
            };
            return RunTransfer(request, snapshot, *FCopier, FBatch.Progress, hooks);
        },
        [this] {
            ShowDiskSpace();
            EnableTransferControls(true);
        });
}

void TfrmVantrel::actDeletePspFileExecute()
{
    const TPaneModel& handheld = FForm->lvPsp.Pane();
    if (BatchRefused() || handheld.SelectedCount() == 0)
        return;
    if (ShowMessage(kDeleteQuestion, TMessageKind::Question) != TMessageButton::Yes)
        return;
    int anchor = -1;
    for (int row = 0; row < handheld.RowCount() && anchor < 0; ++row) {
        if (handheld.Row(row).Selected)
            anchor = row;
    }
    ResetProgress();
    if (FDrives.TotalBytes == 0) {
        ClearPane(TPaneSide::Handheld);
        return;
    }
    const int count = handheld.SelectedCount();
    EnableDeleteControls(false);
    FBatch.Progress.Start(count, count);
    const TBatchSnapshot snapshot = TakeSnapshot(handheld);
    FForm->lvPsp.setEnabled(true);

    RunBatch(
        [&] {
            TDeletionHooks hooks;
            static_cast<TBatchHooks&>(hooks) = WindowBatchHooks();
            hooks.Turn = [this] { Turn(); };
            hooks.Deleted = [this](const TBatchItem& item) { RemoveRow(TPaneSide::Handheld, item.Row); };
            return RunDeletion(snapshot, FBatch.Progress, hooks, FForm->cbDriver.Drive());
        },
        [this, anchor] {
            ShowDiskSpace();
            EnableDeleteControls(true);
            FForm->lvPsp.setFocus();
            const int rows = FForm->lvPsp.Pane().RowCount();
            if (anchor >= 0 && anchor < rows)
                FForm->lvPsp.SelectRow(anchor);
            else if (rows > 0)
                FForm->lvPsp.SelectRow(0);
        });
}

void TfrmVantrel::RunBatch(const std::function<TBatchResult()>& body, const std::function<void()>& closing)
{
    TBatchResult result;
    {
        BeginBatch();
        const TScopeExit closingStep([this, &closing] {
            closing();
            EndBatch();
        });
        result = body();
        if (result.Outcome != TBatchOutcome::Done)
            FForm->spDealFileName.setText(QStringLiteral("Fail"));
    }
    if (const std::string told = AfterBatchText(result); !told.empty())
        ShowMessage(told, TMessageKind::Error);
    ReplayDeviceEvents();
    ReportReady("batch ended");
    if (std::exchange(FBatch.EndAfter, false))
        close();
}

void TfrmVantrel::BeginBatch()
{
    FBatch.BusyBefore = FBusy;
    FBusy = true;
    FBatch.Running = true;
    FBatch.StopRequested = false;
    FBatch.Drive = FForm->cbDriver.Drive();
    FBatch.EscapeWatcher = std::make_unique<TEscapeWatcher>(*this, [this] { StopBatch(); });
    // A drag started now would hold the event loop, and the batch with it,
    // until the button is released.
    FForm->lvPC.SetDragAllowed(false);
    FForm->lvPsp.SetDragAllowed(false);
    FForm->pbDealing.setToolTip(QString::fromLatin1(kStopHint));
}

void TfrmVantrel::EndBatch()
{
    FForm->pbDealing.setToolTip(QString());
    FBatch.EscapeWatcher.reset();
    FForm->lvPC.SetDragAllowed(true);
    FForm->lvPsp.SetDragAllowed(true);
    FBatch.Running = false;
    FBusy = FBatch.BusyBefore;
}

void TfrmVantrel::StopBatch()
{
    if (FBatch.Running)
        FBatch.StopRequested = true;
}

void TfrmVantrel::EndOnSignal()
{
    if (FBatch.Running) {
        FBatch.EndAfter = true;
        StopBatch();
        return;
    }
    // A box waiting for an answer gets the answer Esc gives; a load under
    // way ends first. The window closes as soon as it may.
    if (QWidget* box = QApplication::activeModalWidget()) {
        box->close();
        QTimer::singleShot(0, this, [this] { EndOnSignal(); });
        return;
    }
    if (!close())
        QTimer::singleShot(kEndRetryMs, this, [this] { EndOnSignal(); });
}

TBatchHooks TfrmVantrel::WindowBatchHooks()
{
    TBatchHooks hooks;
    hooks.Report = [this](double units, const std::string& path) { CopyProgress(units, path); };
    hooks.ShouldStop = [this] { return FBatch.StopRequested; };
    return hooks;
}

void TfrmVantrel::ReplayDeviceEvents()
{
    // Device events held back while the batch ran, each kind once, in
    // the order they came.
    std::vector<TDeviceEvent> held = std::move(FBatch.HeldDeviceEvents);
    FBatch.HeldDeviceEvents.clear();
    std::vector<TDeviceEvent> replayed;
    for (TDeviceEvent event : held) {
        if (std::find(replayed.begin(), replayed.end(), event) != replayed.end())
            continue;
        replayed.push_back(event);
        DriveChangeHandler(event);
    }
}

void TfrmVantrel::CopyProgress(double Count, const std::string& FileName)
{
    // Called for every 100-byte chunk: the bar is told only of a new value.
    if (FBatch.Progress.Report(Count, FileName))
        FForm->spDealFileName.setText(QString::fromStdString(FBatch.Progress.StatusText()));
    if (const int percent = FBatch.Progress.Percent(); percent != FForm->pbDealing.value())
        FForm->pbDealing.setValue(percent);
}

void TfrmVantrel::ResetProgress()
{
    FBatch.Progress.Reset();
    FForm->pbDealing.setValue(0);
    ShowDiskSpace();
}

std::string TfrmVantrel::PspVideoFolder() const
{
    return THandheldFolder::OnDrive(FForm->cbDriver.Drive()).Path();
}

void TfrmVantrel::AddRow(TPaneSide pane, const TFileInfo& info)
{
    Pane(pane).AddRow(info, std::nullopt, FSortState);
}

void TfrmVantrel::RemoveRow(TPaneSide pane, int index)
{
    Pane(pane).RemoveRow(index);
}
