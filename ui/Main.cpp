// The window's life: creation, first show and close, the remembered
// settings, the idle answer and dragging the window by its background.

#include "ui/Main.h"
#include "ui/MainForm.h"

#include "catalogue/HandheldFolder.h"
#include "catalogue/PSPTitle.h"
#include "platform/CoarseClock.h"
#include "platform/DriveWatcher.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Settings.h"
#include "ui/Cursors.h"
#include "ui/Dialogs.h"
#include "ui/EndingSignalWatcher.h"
#include "ui/EscapeWatcher.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QDir>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

#include <algorithm>
#include <cstdio>

namespace {

// True when `text` holds anything but blanks.
bool HasNonBlank(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n\f\v") != std::string::npos;
}

// A scanner that starts reading the folders the first show is about to
// load while the window builds its controls: the folder given, else the
// remembered one, and the video folder of the last removable drive. Only
// a guess made early: the first show still decides what it loads, and
// drops what it did not take. A remembered drive that is not removable
// is not read ahead: its load starts with a notice, which may stay up for
// long, and its listing would be old by the time it is taken.
std::unique_ptr<TListFiles> ScannerReadingAhead(const std::string& startFolder)
{
    auto scanner = std::make_unique<TListFiles>();
    const std::string folder = HasNonBlank(startFolder) ? startFolder : Settings::Read("PCDir").value_or(std::string());
    if (platform::IsDirectory(folder))
        scanner->ListAhead(folder);
    const std::vector<DriveInfo> drives = ListDrives();
    const auto handheld = std::find_if(drives.rbegin(), drives.rend(), [](const DriveInfo& drive) { return drive.removable; });
    if (handheld != drives.rend() && IsMounted(handheld->mountPoint))
        scanner->ListAhead(THandheldFolder::OnDrive(handheld->mountPoint).Path());
    return scanner;
}

} // namespace

TfrmVantrel::TfrmVantrel(std::string startFolder)
    : FStartFolder(std::move(startFolder)), FScanner(ScannerReadingAhead(FStartFolder)),
      FForm(std::make_unique<TMainForm>(*this))
{
    ConnectCommands();
    BindEvents();
    BuildLockLists();
    FormCreate();
    BindPaneHooks();
}

TfrmVantrel::~TfrmVantrel()
{
    // A window that was never closed still gives back the title library.
    if (FTitleLibraryOpen)
        PSPTitle::DestroyLibrary();
}

TPaneView& TfrmVantrel::Pane(TPaneSide which)
{
    return FForm->Pane(which);
}

int TfrmVantrel::QueryIdle() const
{
    return FBusy ? 0 : 1;
}

void TfrmVantrel::FormCreate()
{
    FDrives.ListReady = false;
    FBusy = false;

    FCopier = std::make_unique<TCopyFile>();
    PSPTitle::CreateLibrary();
    FTitleLibraryOpen = true;

    // The panes draw their rows themselves (their delegates); the copier
    // lets the window stay live between its chunks.
    FCopier->OnProgress = [this](int count, const std::string& source) { CopyProgress(count, source); };
    FCopier->OnTurn = [this] { Turn(); };
    FCopier->ShowError = [](const std::string& text) { ShowMessage(text, TMessageKind::Error); };

    FEndingSignals = std::make_unique<TEndingSignalWatcher>([this] { EndOnSignal(); });

    // The scanner came with the window (it reads ahead); it is set up here.
    FScanner->OnFile = [this](const TFileInfo& info) { AddVideoRow(info); };
    FScanner->OnIdle = [] { QCoreApplication::processEvents(); };
    // A row's facts are read when it is first shown or used.
    FScanner->DescribeLater = true;

    LoadSettings();

    FCopyDragCursor = LoadCopyDragCursor();

    // Until the first show the drive list shows the drive of the working
    // folder; FDrives.ListReady is false, so nothing loads.
    FForm->cbDriver.Rebuild();
    FForm->cbDriver.SetDrive(WorkingFolderDrive().value_or(std::string()));

    FDrives.Watcher = std::make_unique<DriveWatcher>();
    connect(FDrives.Watcher.get(), &DriveWatcher::deviceArrived, this,
            [this] { DriveChangeHandler(TDeviceEvent::Arrival); });
    connect(FDrives.Watcher.get(), &DriveWatcher::deviceRemoved, this,
            [this] { DriveChangeHandler(TDeviceEvent::RemoveComplete); });

    SetPathBoxText(HasNonBlank(FStartFolder) ? FStartFolder : FSettings.PCDir);

    actUpdateExecute();

    for (std::size_t i = 0; i < kSortCommandCount; ++i)
        FForm->FSortActions[i]->setChecked(kSortCommands[i].Key == TSortKey::skNone);
}

void TfrmVantrel::FormShow()
{
    const std::string path = PathBoxText();
    if (platform::IsDirectory(path)) {
        SetPathBoxText(platform::WithTrailingSlash(path));
        const TWaitCursor wait;
        LoadPcFolder(PathBoxText());
    } else {
        SetPathBoxText(std::string());
    }

    if (const auto drive = StartDrive()) {
        FForm->cbDriver.SetDrive(*drive);
        RefreshPspPane(TDriveKey{*drive, TDriveOrigin::Forced}, true);
        FForm->edtPath.setFocus();
    }

    FDrives.ListReady = true;
    FScanner->DropListedAhead();
    ReportReady("panes filled");
}

std::optional<std::string> TfrmVantrel::StartDrive() const
{
    // A removable drive wins over the remembered one: the last in the list.
    for (int entry = FForm->cbDriver.count() - 1; entry >= 0; --entry) {
        if (IsRemovableDrive(FForm->cbDriver.EntryDrive(entry)))
            return FForm->cbDriver.EntryDrive(entry);
    }
    // The remembered drive only when it is in the list; an empty or
    // vanished one loads nothing and says nothing.
    if (!FSettings.PSPDrive.empty() && FForm->cbDriver.EntryOf(FSettings.PSPDrive) >= 0)
        return FSettings.PSPDrive;
    return std::nullopt;
}

void TfrmVantrel::FormClose(TCloseAction& action)
{
    // A load in progress may be running the event loop from inside the
    // scanner or a message box; closing now would pull the scanner and
    // the panes from under it.
    if (FBusy || FLoads.Running()) {
        action = TCloseAction::Refuse;
        return;
    }
    if (FClosed)
        return;

    FSettings.PCDir = PathBoxText();
    FSettings.PSPDrive = FForm->cbDriver.Drive();
    SaveSettings();

    FDrives.Watcher.reset();
    {
        const TUpdateBracket bracket(FForm->lvPC);
        ClearPane(TPaneSide::Computer);
    }
    {
        const TUpdateBracket bracket(FForm->lvPsp);
        ClearPane(TPaneSide::Handheld);
    }
    FCopier.reset();
    FScanner.reset();
    FForm->lvPC.ReleaseImages();
    FForm->lvPsp.ReleaseImages();

    PSPTitle::DestroyLibrary();
    FTitleLibraryOpen = false;
    FClosed = true;
}

void TfrmVantrel::LoadSettings()
{
    FSettings.PCDir = Settings::Read("PCDir").value_or(std::string());
    FSettings.PSPDrive = Settings::Read("PSPDrive").value_or(std::string());
}

void TfrmVantrel::SaveSettings()
{
    // Best effort: a store that cannot be written is not worth a message.
    if (Settings::Write("PCDir", FSettings.PCDir))
        (void)Settings::Write("PSPDrive", FSettings.PSPDrive);
}

void TfrmVantrel::FormMouseDown()
{
    if (QWindow* window = windowHandle())
        window->startSystemMove();
}

void TfrmVantrel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (FShown)
        return;
    FShown = true;
    FormShow();
}

void TfrmVantrel::closeEvent(QCloseEvent* event)
{
    TCloseAction action = TCloseAction::Close;
    FormClose(action);
    if (action == TCloseAction::Refuse)
        event->ignore();
    else
        event->accept();
}

bool TfrmVantrel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &FForm->edtPath && event->type() == QEvent::KeyPress) {
        // The path box still handles the key itself afterwards.
        edtPathKeyDown(static_cast<QKeyEvent*>(event)->key());
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress && watched != &FForm->edtPath) {
        FormMouseDown();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmVantrel::Turn()
{
    // The copier turns after every 100 bytes; handing the event loop one
    // pass a clock tick (1 to 4 ms) keeps the window live at the cost of
    // a memory read per chunk.
    const std::int64_t now = platform::CoarseNanoseconds();
    if (now - FLastTurn < 1'000'000)
        return;
    QCoreApplication::processEvents();
    FLastTurn = platform::CoarseNanoseconds();
}

std::string TfrmVantrel::PathBoxText() const
{
    return FForm->edtPath.text().toStdString();
}

void TfrmVantrel::SetPathBoxText(const std::string& text)
{
    FForm->edtPath.setText(QString::fromStdString(text));
}

std::optional<std::string> TfrmVantrel::WorkingFolderDrive() const
{
    const std::string folder = QDir::currentPath().toStdString();
    std::optional<std::string> best;
    for (int entry = 0; entry < FForm->cbDriver.count(); ++entry) {
        const std::string mountPoint = FForm->cbDriver.EntryDrive(entry);
        if (platform::IsAtOrBelow(folder, mountPoint) && (!best || mountPoint.size() > best->size()))
            best = mountPoint;
    }
    return best;
}

void TfrmVantrel::ReportReady(const char* what) const
{
    // For the benchmarks, the desktop test, the screenshot and the tests
    // that start the program: silent unless asked.
    if (qEnvironmentVariableIsSet("VANTREL_REPORT_READY"))
        std::fprintf(stderr, "vantrel: %s\n", what);
}
