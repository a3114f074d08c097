#pragma once

// The main window TfrmVantrel: the computer pane on the left, the
// handheld pane on the right, the commands between them, the path box and
// the drive list above and the status bar below. It holds the program's
// state and runs every command on the GUI thread.
//
// The window is split by concern over several files: Main.cpp (creation,
// first show, close, settings, idle answer, dragging by the background),
// MainLayout.cpp (controls and their places), MainActions.cpp (the command
// table and the context menus), MainPanes.cpp (pane loads), MainDrives.cpp
// (drive list, device events, refresh, browse, path box, space display)
// and MainSorting.cpp (the sort commands); MainServices.cpp (update check,
// help, open folder, about box).

#include "catalogue/PaneModel.h"
#include "catalogue/Sorting.h"
#include "catalogue/uClass.h"
#include "transfer/BatchProgress.h"
#include "transfer/Transfer.h"
#include "ui/Dialogs.h"
#include "ui/DriveKey.h"
#include "ui/LoadGate.h"
#include "ui/PaneView.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class DriveWatcher;
struct TMainForm;
struct TSortCommand;
class QAction;
class QMimeData;
class TEscapeWatcher;
class TEndingSignalWatcher;

// What the drive watcher reports.
enum class TDeviceEvent { Arrival, RemoveComplete };

// What the in-place edit that is starting or open is about.
enum class TEditMode { None, Title, FileName };

// FormClose's answer: close, or keep the window open.
enum class TCloseAction { Close, Refuse };

class TfrmVantrel : public QWidget {
    Q_OBJECT
public:
    // `startFolder` is the program's one argument (empty when none).
    explicit TfrmVantrel(std::string startFolder = {});
    ~TfrmVantrel() override;

    // The idle query of the updater: 1 when idle, 0 while busy.
    int QueryIdle() const;

    // Creation, first show and close, in their fixed order.
    void FormCreate();
    void FormShow();
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
    // Esc while a batch runs: the batch stops after the file under way,
    // which leaves nothing behind.
    void StopBatch();
    // A signal asked the program to end: a running batch stops as on
    // Esc, then the window closes.
    void EndOnSignal();
    // True while an in-place editor is open in either pane.
    bool EditorOpen() const;
    const TBatchProgress& BatchProgress() const { return FBatch; }

    // In-place editing of titles and names.
    void actEditPCTitleExecute();
    void actEditPSPTitleExecute();
    void actModifyPcFileNameExecute();
    std::optional<TEditStart> lvEditing(TPaneSide pane, int row);
    void lvEdited(TPaneSide pane, int row, const std::string& text);
    TEditMode EditMode() const { return FEditMode; }

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
    const QCursor& CopyDragCursor() const { return FCopyDragCursor; }
    // Null once the window has closed.
    DriveWatcher* Watcher() { return FDriveWatcher.get(); }
    bool IsBusy() const { return FBusy; }
    // True while pane loads asked for during another load wait their turn.
    bool LoadsWaiting() const { return FLoads.Waiting(); }
    void SetBusy(bool busy) { FBusy = busy; }
    bool DriveListReady() const { return FDriveListReady; }
    void SetDriveListReady(bool ready) { FDriveListReady = ready; }
    int HighestVideoNumber() const { return FHighestVideoNumber; }
    void SetHighestVideoNumber(int number) { FHighestVideoNumber = number; }
    const std::optional<TDriveKey>& LoadedDrive() const { return FLoadedDrive; }
    double FreeBytes() const { return FFreeBytes; }
    double TotalBytes() const { return FTotalBytes; }
    const TSortState& SortState() const { return FSortState; }
    const TSaveInfo& SavedSettings() const { return FSettings; }

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
    // reached a resting point: "panes filled", "batch ended".
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
    std::unique_ptr<DriveWatcher> FDriveWatcher;
    bool FTitleLibraryOpen = false;
    bool FShown = false;
    bool FClosed = false;
    // Pane loads never nest: one asked for during another waits its turn.
    TLoadGate FLoads{*this, [this](TLoadRequest request) { RunLoadRequest(request); }};
    QElapsedTimer FTurnClock;
    QCursor FCopyDragCursor;

    TPaneSide FScanTarget = TPaneSide::Computer;
    bool FBusy = false;
    bool FDriveListReady = false;
    TSaveInfo FSettings;
    std::optional<TDriveKey> FLoadedDrive;
    int FHighestVideoNumber = 0;
    double FFreeBytes = 0;
    double FTotalBytes = 0;
    TSortState FSortState;

    // The edit state, and the copy-drag mark of each pane (1: copies).
    TEditMode FEditMode = TEditMode::None;
    bool FEditRequested = false;
    QPoint FClickPoint;
    int FCopyDragMark[2] = {0, 0};

    // The running batch: its counters, whether it should stop, the drive
    // it works on, and the device events held back until it ends.
    TBatchProgress FBatch;
    bool FBatchRunning = false;
    bool FStopRequested = false;
    std::string FBatchDrive;
    std::vector<TDeviceEvent> FHeldDeviceEvents;
    std::unique_ptr<TEscapeWatcher> FEscapeWatcher;
    std::unique_ptr<TEndingSignalWatcher> FEndingSignals;
    bool FEndAfterBatch = false;
    bool FBusyBeforeBatch = false;
    std::vector<TLockable> FTransferLock;
    std::vector<TLockable> FDeleteLock;

    // The controls, declared last: destroyed first, while the state they
    // call back into still exists.
    std::unique_ptr<TMainForm> FForm;
};
