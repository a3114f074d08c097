#pragma once

// A pane on screen: a list view over one TPaneModel. The pane model owns
// the rows, their records, their pictures and their selected flags; the
// Qt model only presents it, and every change of the rows goes through
// TPaneView so the view hears of it.
//
// Bulk changes sit inside an update bracket (BeginUpdate / EndUpdate, or
// TUpdateBracket): the view does not repaint until the outermost bracket
// closes, so a load repaints once.

#include "catalogue/PaneModel.h"
#include "ui/RowLines.h"

#include <QAbstractListModel>
#include <QListView>
#include <QPoint>
#include <QPersistentModelIndex>
#include <QPointer>

class QKeyEvent;
class QMimeData;
class QMouseEvent;

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class TPaneView;
class TPlayabilityChecker;
class TRowDelegate;
class QLineEdit;

// What an in-place editor opens with: its text, and the line of the row
// it covers (after that line's label, wherever the row goes).
struct TEditStart {
    std::string Text;
    TRowLine Line;
};

// What a pane tells the window about its input; every hook may be unset.
struct TPaneHooks {
    // A key pressed in the pane or in its editor, before either handles it.
    std::function<void(const QKeyEvent& key)> KeyDown;
    // A left-button press, after the pane has updated its selection.
    std::function<void(const QMouseEvent& press)> LeftButtonDown;
    // The wheel turned over the pane, before it scrolls.
    std::function<void()> Wheel;
    // A menu was asked for (right button, Menu key, Shift+F10); the row
    // holding the focus mark, -1 when none.
    std::function<void(int focusedRow)> ContextMenu;
    // The pane is about to open its editor on `row`: what to show and
    // where, or nullopt to open nothing.
    std::function<std::optional<TEditStart>(int row)> Editing;
    // The user confirmed the editor's text (Enter, or the focus left).
    std::function<void(int row, const std::string& text)> Edited;
    // The editor closed, committed or not.
    std::function<void()> EditEnded;
    // A drag from this pane is starting or hovering: true when the Alt
    // mark makes it a copy.
    std::function<bool()> DragCopies;
    // A drag from this pane ended, dropped or not.
    std::function<void()> DragEnded;
    // Rows of `source` (a pane) or files (`source` null) hover over or
    // land on the pane.
    std::function<bool(const TPaneView* source, const QMimeData& data)> AcceptsDrop;
    // `copies`: the drop is a copy (the Alt mark, or Ctrl held).
    std::function<void(const TPaneView* source, const QMimeData& data, bool copies)> Dropped;
};

class TPaneListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TPaneListModel(TPaneModel& pane, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The tooltip of a row whose video will not play gives the reasons.
    QVariant data(const QModelIndex& index, int role) const override;

    const TPaneModel& Pane() const { return FPane; }

    // The row operations, each announced to the view as it must be.
    // With `quietly`, a row appended to an unsorted pane waits for
    // AnnounceAppended, so a load of many rows is one insertion.
    int AddRow(const TFileInfo& info, const std::optional<TThumbnail>& thumbnail, const TSortState& sort,
               bool quietly = false);
    // Tells the view of the rows appended quietly since the last call.
    void AnnounceAppended();
    void RemoveRow(int row);
    void ClearPane();
    void Sort(const TSortState& sort);
    void ReleaseImages();

private:
    // Reorders the rows by `reorder` (which returns, for each new position,
    // the row's old one) as one layout change.
    void Rearrange(const std::function<std::vector<int>()>& reorder);

    TPaneModel& FPane;
    // The rows the view knows of; fewer than the pane's only while rows
    // appended quietly wait to be announced.
    int FAnnounced = 0;
};

class TPaneView : public QListView {
    Q_OBJECT
public:
    explicit TPaneView(QWidget* parent = nullptr);
    ~TPaneView() override;

    const TPaneModel& Pane() const { return FPane; }
    TPaneListModel& Rows() { return FRows; }
    TRowDelegate& Delegate() { return *FDelegate; }

    int AddRow(const TFileInfo& info, const std::optional<TThumbnail>& thumbnail, const TSortState& sort);
    void RemoveRow(int row);
    void ClearPane();
    void Sort(const TSortState& sort);
    void SetSorted(bool sorted) { FPane.SetSorted(sorted); }
    void ReleaseImages();

    // Selects `row` (others keep their state) and makes it current.
    void SelectRow(int row);
    // Gives the pane the focus and selects its first row, when it has one.
    void FocusFirstRow();

    void BeginUpdate();
    void EndUpdate();

    TPaneHooks Hooks;

    // The record of `row` for changing in place; RowChanged repaints it.
    TFileInfo& RecordForEdit(int row) { return FPane.RecordAt(row); }
    void RowChanged(int row);
    // The first selected row, -1 when none.
    int FirstSelectedRow() const;
    // Selects exactly the rows from `first` to `last`.
    void SelectOnly(int first, int last);

    // Asks to open the editor on `row`; the Editing hook decides.
    void OpenEditor(int row);
    // The open editor, or null.
    QLineEdit* Editor() const;
    // Whether a drag may start from the pane (the window turns it off
    // while a drop is handled).
    void SetDragAllowed(bool allowed);
    // The pointer picture shown while a copy from the other pane hovers.
    void SetCopyCursor(const QCursor& cursor) { FCopyCursor = cursor; }

    // Asks the worker for the verdict of every row not asked about yet,
    // the rows in view first. Runs by itself at the turn after an update
    // bracket closes or rows are added outside one.
    void CheckRows();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class TRowEditDelegate;
    // The view's index of `row`, announcing rows appended quietly first.
    QModelIndex IndexOf(int row);
    const TPaneView* DragSource(const QDropEvent& event) const;
    bool AcceptDrag(QDropEvent& event);
    void CopySelectionToPane(const QItemSelection& selected, const QItemSelection& deselected);
    // The rows now in view, first and last; {0, -1} when none.
    std::pair<int, int> RowsInView() const;
    // CheckRows at the next turn, once however often asked.
    void QueueCheck();
    // Asks for the next slice of rows from FCheckFrom on, and for the
    // slice after it at the next turn.
    void CheckMoreRows();
    // Moves the rows in view ahead of the worker's queue.
    void CheckRowsInView();
    // Decodes the pictures of the rows in view and a screen around them,
    // a few milliseconds at a time between events, then repaints.
    void LoadPicturesNearView();
    // Called on the worker thread: one repaint posted at a time.
    void VerdictSettled();

    TPaneModel FPane;
    TPaneListModel FRows;
    std::unique_ptr<TRowDelegate> FDelegate;
    int FUpdateDepth = 0;
    // Set while the pane model changes its rows or its flags are shown
    // again; selection signals then do not write back into the flags.
    bool FShowingSelection = false;
    QPointer<QLineEdit> FEditor;
    QPersistentModelIndex FEditIndex;
    QCursor FCopyCursor;
    std::atomic<bool> FRepaintPosted{false};
    bool FPicturesQueued = false;
    bool FChecksQueued = false;
    bool FMoreChecksQueued = false;
    // Where the pass of CheckRows over the pane has got to.
    int FCheckFrom = 0;
    // Last: its worker stops before anything it reports to goes.
    std::unique_ptr<TPlayabilityChecker> FChecker;
};

// Holds a pane's update bracket open for a scope.
class TUpdateBracket {
public:
    explicit TUpdateBracket(TPaneView& pane) : FPane(pane) { FPane.BeginUpdate(); }
    ~TUpdateBracket() { FPane.EndUpdate(); }
    TUpdateBracket(const TUpdateBracket&) = delete;
    TUpdateBracket& operator=(const TUpdateBracket&) = delete;

private:
    TPaneView& FPane;
};
