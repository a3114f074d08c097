#pragma once

// The main window TfrmVantrel: the computer pane on the left, the
// handheld pane on the right, the commands between them, the path box and
// the drive list above and the status bar below. It holds the program's
// state and runs every command on the GUI thread.
//
// What the window shows is its form (MainForm.h: controls, commands,
// menus); what it keeps is grouped by concern: the drives (DriveState.h),
// the running batch (BatchState.h), the in-place edit (EditState.h). Its
// work is split over files by concern: Main.cpp (creation, first show,
// close, settings, dragging by the background), MainActions.cpp (command
// handlers and event bindings), MainPanes.cpp (pane loads), MainDrives.cpp
// (drive list, device events, refresh, browse, path box, space display),
// MainSorting.cpp, MainTransfers.cpp (transfers, deletion, the batch
// machinery), MainLocks.cpp (what a batch locks), MainEditing.cpp,
// MainInput.cpp (keys, mouse, wheel, menus), MainDragDrop.cpp and
// MainServices.cpp (update check, help, open folder, about box).

#include "catalogue/PaneModel.h"
#include "catalogue/Sorting.h"
#include "catalogue/uClass.h"
#include "transfer/Transfer.h"
#include "ui/BatchState.h"
#include "ui/Dialogs.h"
#include "ui/DriveKey.h"
#include "ui/DriveState.h"
#include "ui/EditState.h"
#include "ui/LoadGate.h"
#include "ui/PaneView.h"

#include <QCursor>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

struct TMainForm;
struct TSortCommand;
class QAction;
class QMimeData;
class TEndingSignalWatcher;

// FormClose's answer: close, or keep the window open.
enum class TCloseAction { Close, Refuse };

class TfrmVantrel : public QWidget {
    Q_OBJECT
public:
    // `startFolder` is the program's one argument (empty when none).
    explicit TfrmVantrel(std::string startFolder = {});
    ~TfrmVantrel() override;

    // Whether the window is idle: 1, or 0 while a batch or a load runs.
    int QueryIdle() const;

    // Creation, first show and close, in their fixed order.
    void FormCreate();
    void FormShow();
    // The drive the first show loads: the last removable drive of the
    // list, else the remembered one while it is listed.
    std::optional<std::string> StartDrive() const;
    void FormClose(TCloseAction& action);
    void LoadSettings();
    void SaveSettings();

    // Pane contents.
    void AddVideoRow(const TFileInfo& info);
    void ClearPane(TPaneSide which);
    void LoadPspPane();
    bool RefreshPspPane(const TDriveKey& key, bool force);

    // Drives, folders and the space display.
    void cbDriverChange();
    void DriveChangeHandler(TDeviceEvent event);
    void actRefreshExecute();
    void actBrowseExecute();
    void edtPathKeyDown(int key);
    void ShowDiskSpace();
    void UpdateSpaceWarning();

    // Transfers and deletion, and the batch machinery they share.
    void actMoveToPspExecute();
    void actCopyToPspExecute();
    void actMoveToPcExecute();
    void actCopyToPcExecute();
    void actDeletePspFileExecute();
    void CopyProgress(double Count, const std::string& FileName);
    void ResetProgress();
    void EnableTransferControls(bool Value);
    void EnableDeleteControls(bool Value);
    std::string PspVideoFolder() const;
    void AddRow(TPaneSide pane, const TFileInfo& info);
    void RemoveRow(TPaneSide pane, int index);
    // Esc while a batch runs: the copy under way stops at once and its
    // partial file is removed; the videos done already stay.
    void StopBatch();
    // A signal asked the program to end: a running batch stops as on
    // Esc, then the window closes.
    void EndOnSignal();
    // True while an in-place editor is open in either pane.
    bool EditorOpen() const;
    const TBatchProgress& BatchProgress() const { return FBatch.Progress; }

    // In-place editing of titles and names.
    void actEditPCTitleExecute();
    void actEditPSPTitleExecute();
    void actModifyPcFileNameExecute();
    std::optional<TEditStart> lvEditing(TPaneSide pane, int row);
    void lvEdited(TPaneSide pane, int row, const std::string& text);
    TEditMode EditMode() const { return FEdit.Mode; }

    // Keys, mouse, wheel and menus of the panes.
    void lvKeyDown(TPaneSide pane, const QKeyEvent& key);
    void lvMouseDown(TPaneSide pane, const QMouseEvent& press);
    void lvMouseWheel(TPaneSide pane);
    void lvEndDrag(TPaneSide pane);
    void lvItemContextMenu(TPaneSide pane, int focusedRow);
    int CopyDragMark(TPaneSide pane) const { return FCopyDragMark[static_cast<int>(pane)]; }

    // The menu twins, and drops from the other pane or the desktop.
    void RunMenuCommand(QAction& command);
    bool lvDragOver(TPaneSide sender, const TPaneView* source, const QMimeData& data);
    // `copyHeld`: Ctrl was held at the drop, which copies as the Alt mark does.
    void lvDragDrop(TPaneSide sender, const TPaneView* source, const QMimeData& data, bool copyHeld = false);

    // Moves the window with the pointer (a press on its background).
    void FormMouseDown();

    // The services handed to other programs, and the about box. Without a
    // sender the update check is the automatic weekly one.
    void actUpdateExecute(QObject* sender = nullptr);
    void actHelpExecute();
    void actOpenFolderExecute();
    void actAboutExecute();

    // What the other commands of the window work with.
    TPaneView& Pane(TPaneSide which);
    TCopyFile& Copier() { return *FCopier; }
    TListFiles& Scanner() { return *FScanner; }
    // Null once the window has closed.
    DriveWatcher* Watcher() { return FDrives.Watcher.get(); }
    bool IsBusy() const { return FBusy; }
    // True while pane loads asked for during another load wait their turn.
    bool LoadsWaiting() const { return FLoads.Waiting(); }
    void SetBusy(bool busy) { FBusy = busy; }
    bool DriveListReady() const { return FDrives.ListReady; }
    int HighestVideoNumber() const { return FDrives.HighestVideoNumber; }
    const std::optional<TDriveKey>& LoadedDrive() const { return FDrives.Loaded; }
    double TotalBytes() const { return FDrives.TotalBytes; }
    const TSortState& SortState() const { return FSortState; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectCommands();
    void BindEvents();

    void Turn();
    void ScanInto(TPaneSide pane, const std::string& folder, int& highest, bool trackHighest);
    void LoadPcFolder(const std::string& folder);
    std::string PathBoxText() const;
    void SetPathBoxText(const std::string& text);
    std::optional<std::string> WorkingFolderDrive() const;
    // Tells a watching script (VANTREL_REPORT_READY set) that the window
    // reached a resting point: "panes filled", "handheld pane loaded",
    // "batch ended".
    void ReportReady(const char* what) const;
    void RunLoadRequest(TLoadRequest request);
    TMessageButton AskToConnect();

    // The controls and commands a lock switches, walked in order; a pane
    // stands for its nine sort commands, in the order of their table.
    using TLockable = std::variant<QWidget*, QAction*, TPaneSide>;
    void BuildLockLists();
    void SwitchLock(const std::vector<TLockable>& controls, bool Value);
    void ShowDriveBoxLocked(bool locked);

    void BindPaneHooks();
    void StartEdit(TPaneSide pane, TEditMode mode);
    void EndEdit();
    void CommitTitle(TPaneSide pane, int row, const std::string& text);
    void CommitFileName(int row, const std::string& text);
    void CopyDroppedFiles(const std::vector<std::string>& files);

    // True while no transfer or deletion may start.
    bool BatchRefused() const;
    void TransferToPsp(TTransferKind kind);
    void SendToPsp(TTransferKind kind, const std::function<TBatchSnapshot()>& takeSnapshot);
    // Asks whether the videos of `snapshot` the handheld will not play are
    // converted on the way, and plans them when so. False: the user
    // cancelled, nothing is sent.
    bool AskToConvert(TBatchSnapshot& snapshot);
    void TransferToPc(TTransferKind kind);
    void RunTransferBatch(const TTransferRequest& request, const TBatchSnapshot& snapshot, TPaneSide from,
                          TPaneSide to);
    // Runs one batch under the busy flag and Esc: `body` does the work,
    // `closing` returns the window to idle on every way out; then the
    // files that stayed are named and held-back device events handled.
    void RunBatch(const std::function<TBatchResult()>& body, const std::function<void()>& closing);
    void BeginBatch();
    void EndBatch();
    // What every batch of the window reports to and asks.
    TBatchHooks WindowBatchHooks();
    void ReplayDeviceEvents();

    void RunSortCommand(const TSortCommand& command);

    // Process-wide value handed in by the program entry.
    std::string FStartFolder;

    // Window state.
    std::unique_ptr<TCopyFile> FCopier;
    std::unique_ptr<TListFiles> FScanner;
    bool FTitleLibraryOpen = false;
    bool FShown = false;
    bool FClosed = false;
    // Pane loads never nest: one asked for during another waits its turn.
    TLoadGate FLoads{*this, [this](TLoadRequest request) { RunLoadRequest(request); }};
    // When the last turn ended (platform::CoarseNanoseconds).
    std::int64_t FLastTurn = 0;
    QCursor FCopyDragCursor;

    TPaneSide FScanTarget = TPaneSide::Computer;
    bool FBusy = false;
    TSaveInfo FSettings;
    TSortState FSortState;
    TDriveState FDrives;

    TEditState FEdit;
    // The copy-drag mark of each pane (1: copies).
    int FCopyDragMark[2] = {0, 0};

    TBatchState FBatch;
    std::unique_ptr<TEndingSignalWatcher> FEndingSignals;
    // The two locks a batch takes on the window.
    std::vector<TLockable> FTransferLock;
    std::vector<TLockable> FDeleteLock;

    // The controls, declared last: destroyed first, while the state they
    // call back into still exists.
    std::unique_ptr<TMainForm> FForm;
};
