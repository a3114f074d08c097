#include "ui/PaneView.h"

#include "ui/RowEditing.h"

#include "catalogue/PlayabilityChecker.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QTimer>
#include <QWheelEvent>

#include <utility>

namespace {

// Rows dragged from a pane carry no data of their own: the drop takes
// the source pane's selection, as a command would.
constexpr const char* kRowsMimeType = "application/x-vantrel-pane-rows";

constexpr const char* kWillNotPlayHeading = "Will not play on the PSP:";

} // namespace

TPaneListModel::TPaneListModel(TPaneModel& pane, QObject* parent) : QAbstractListModel(parent), FPane(pane) {}

int TPaneListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FAnnounced;
}

Qt::ItemFlags TPaneListModel::flags(const QModelIndex& index) const
{
    // Editable so the pane may open its editor; whether it does is the
    // window's decision, row by row.
    return QAbstractListModel::flags(index) | Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
}

QVariant TPaneListModel::data(const QModelIndex& index, int role) const
{
    // Rows show no caption text: the delegate draws everything from the
    // record.
    if (role != Qt::ToolTipRole || !index.isValid() || index.row() >= FPane.RowCount())
        return {};
    const TPlayVerdict& verdict = *FPane.Row(index.row()).Playability;
    if (!verdict.Known() || verdict.Plays())
        return {};
    QString text = QString::fromLatin1(kWillNotPlayHeading);
    for (const std::string& reason : verdict.Reasons())
        text += QLatin1Char('\n') + QString::fromStdString(reason);
    return text;
}

int TPaneListModel::AddRow(const TFileInfo& info, const std::optional<TThumbnail>& thumbnail, const TSortState& sort,
                           bool quietly)
{
    if (quietly && !FPane.IsSorted())
        return FPane.AddRow(info, thumbnail, sort);
    AnnounceAppended();
    // A sorted pane that lost its order (the other pane changed the shared
    // key, a record was edited) is put in order first; then the row goes
    // where a binary search puts it, announced as one inserted row. A
    // record only listed is read first when the order needs its facts, so
    // the place announced is the place the pane gives it.
    if (FPane.NeedsReorder(sort))
        Rearrange([&] { return FPane.Reorder(sort); });
    std::optional<TFileInfo> described;
    if (FPane.IsSorted() && info.Listing && SortReadsFacts(sort)) {
        described = info;
        DescribeListed(*described);
    }
    const TFileInfo& placed = described ? *described : info;
    const int position = FPane.PlaceFor(placed, sort);
    beginInsertRows(QModelIndex(), position, position);
    FPane.AddRow(placed, thumbnail, sort);
    FAnnounced = FPane.RowCount();
    endInsertRows();
    return position;
}

void TPaneListModel::AnnounceAppended()
{
    // The new rows sit behind every announced one, which stay as they
    // were: announcing them late is announcing one insertion at the end.
    const int count = FPane.RowCount();
    if (count <= FAnnounced)
        return;
    beginInsertRows(QModelIndex(), FAnnounced, count - 1);
    FAnnounced = count;
    endInsertRows();
}

void TPaneListModel::Rearrange(const std::function<std::vector<int>()>& reorder)
{
    AnnounceAppended();
    // A layout change, not a reset: the view's persistent indexes (its
    // selection, current row and open editor) follow their rows.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<int> previous = reorder();
    std::vector<int> now(previous.size());
    for (std::size_t position = 0; position < previous.size(); ++position)
        now[static_cast<std::size_t>(previous[position])] = static_cast<int>(position);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const auto row = static_cast<std::size_t>(index.row());
        after.append(row < now.size() ? this->index(now[row]) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TPaneListModel::RemoveRow(int row)
{
    AnnounceAppended();
    if (row < 0 || row >= FPane.RowCount())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    FPane.RemoveRow(row);
    FAnnounced = FPane.RowCount();
    endRemoveRows();
}

void TPaneListModel::ClearPane()
{
    beginResetModel();
    FPane.ClearPane();
    FAnnounced = 0;
    endResetModel();
}

void TPaneListModel::Sort(const TSortState& sort)
{
    Rearrange([&] { return FPane.Sort(sort); });
}

void TPaneListModel::ReleaseImages()
{
    beginResetModel();
    FPane.ClearPane();
    FPane.ReleaseImages();
    FAnnounced = 0;
    endResetModel();
}

TPaneView::TPaneView(QWidget* parent)
    : QListView(parent), FRows(FPane), FDelegate(std::make_unique<TRowEditDelegate>(FPane, *this))
{
    setModel(&FRows);
    setItemDelegate(FDelegate.get());
    setViewMode(QListView::ListMode);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &TPaneView::CopySelectionToPane);
    FDelegate->PictureWanted = [this] {
        if (!std::exchange(FPicturesQueued, true))
            QTimer::singleShot(0, this, [this] { LoadPicturesNearView(); });
    };
    FChecker = std::make_unique<TPlayabilityChecker>([this] { VerdictSettled(); });
}

TPaneView::~TPaneView()
{
    // The view lets go of the model and the delegate before they go.
    setModel(nullptr);
    setItemDelegate(nullptr);
}

int TPaneView::AddRow(const TFileInfo& info, const std::optional<TThumbnail>& thumbnail, const TSortState& sort)
{
    const QScopedValueRollback keepFlags(FShowingSelection, true);
    // Inside a bracket the rows are announced, and the pane checked, when
    // it closes.
    const int row = FRows.AddRow(info, thumbnail, sort, FUpdateDepth > 0);
    if (FUpdateDepth == 0)
        QueueCheck();
    return row;
}

void TPaneView::RemoveRow(int row)
{
    const QScopedValueRollback keepFlags(FShowingSelection, true);
    // The rows behind move up: the check's pass keeps its place.
    if (row < FCheckFrom)
        --FCheckFrom;
    FRows.RemoveRow(row);
}

void TPaneView::ClearPane()
{
    const QScopedValueRollback keepFlags(FShowingSelection, true);
    FChecker->Forget();
    FCheckFrom = 0;
    FRows.ClearPane();
}

void TPaneView::Sort(const TSortState& sort)
{
    const QScopedValueRollback keepFlags(FShowingSelection, true);
    // Rows asked about already are passed over: the pass starts again.
    FCheckFrom = 0;
    FRows.Sort(sort);
}

void TPaneView::ReleaseImages()
{
    const QScopedValueRollback keepFlags(FShowingSelection, true);
    FChecker->Forget();
    FRows.ReleaseImages();
}

QModelIndex TPaneView::IndexOf(int row)
{
    // A row still waiting in a bracket is told to the view now.
    FRows.AnnounceAppended();
    return FRows.index(row);
}

void TPaneView::SelectRow(int row)
{
    const QModelIndex index = IndexOf(row);
    if (!index.isValid())
        return;
    selectionModel()->select(index, QItemSelectionModel::Select);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void TPaneView::FocusFirstRow()
{
    if (FPane.RowCount() == 0)
        return;
    setFocus();
    SelectRow(0);
}

void TPaneView::BeginUpdate()
{
    if (FUpdateDepth++ == 0)
        setUpdatesEnabled(false);
}

void TPaneView::EndUpdate()
{
    if (FUpdateDepth > 0 && --FUpdateDepth == 0) {
        {
            const QScopedValueRollback keepFlags(FShowingSelection, true);
            FRows.AnnounceAppended();
        }
        setUpdatesEnabled(true);
        QueueCheck();
    }
}

void TPaneView::QueueCheck()
{
    // At the next turn: rows added one by one are asked for together, and
    // a load shows its rows before the worker's queue is built.
    if (std::exchange(FChecksQueued, true))
        return;
    QTimer::singleShot(0, this, [this] {
        FChecksQueued = false;
        CheckRows();
    });
}

void TPaneView::CopySelectionToPane(const QItemSelection& selected, const QItemSelection& deselected)
{
    if (FShowingSelection)
        return;
    for (const QModelIndex& index : deselected.indexes()) {
        if (index.row() < FPane.RowCount())
            FPane.SetSelected(index.row(), false);
    }
    for (const QModelIndex& index : selected.indexes()) {
        if (index.row() < FPane.RowCount())
            FPane.SetSelected(index.row(), true);
    }
}

void TPaneView::OpenEditor(int row)
{
    const QModelIndex index = IndexOf(row);
    if (index.isValid())
        edit(index);
}

QLineEdit* TPaneView::Editor() const
{
    return FEditor.data();
}

void TPaneView::SetDragAllowed(bool allowed)
{
    setDragEnabled(allowed);
}

void TPaneView::keyPressEvent(QKeyEvent* event)
{
    // A key the focused editor ignored comes on to the pane; the editor's
    // filter gave it to the hook already.
    const bool heardInEditor = FEditor && FEditor->hasFocus();
    if (Hooks.KeyDown && !heardInEditor)
        Hooks.KeyDown(*event);
    // Shift+F10 asks for the menu as the Menu key does (the toolkit turns
    // only the Menu key into a menu request).
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        const QModelIndex focused = currentIndex();
        if (Hooks.ContextMenu)
            Hooks.ContextMenu(focused.isValid() ? focused.row() : -1);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void TPaneView::mousePressEvent(QMouseEvent* event)
{
    QListView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && Hooks.LeftButtonDown)
        Hooks.LeftButtonDown(*event);
}

void TPaneView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press too: without it, an
    // Alt mark of the first would stay for a drag that starts from the
    // second.
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && Hooks.LeftButtonDown)
        Hooks.LeftButtonDown(*event);
}

void TPaneView::scrollContentsBy(int dx, int dy)
{
    QListView::scrollContentsBy(dx, dy);
    if (dy != 0)
        CheckRowsInView();
    QLineEdit* editor = FEditor.data();
    if (editor == nullptr)
        return;
    // The editor follows its row; a row scrolled out of view takes the
    // edit with it, committing nothing.
    if (!FEditIndex.isValid() || !viewport()->rect().intersects(visualRect(FEditIndex))) {
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        return;
    }
    updateEditorGeometries();
}

void TPaneView::wheelEvent(QWheelEvent* event)
{
    if (Hooks.Wheel)
        Hooks.Wheel();
    QListView::wheelEvent(event);
}

void TPaneView::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    const QModelIndex focused = currentIndex();
    if (Hooks.ContextMenu)
        Hooks.ContextMenu(focused.isValid() ? focused.row() : -1);
}

void TPaneView::startDrag(Qt::DropActions)
{
    if (FPane.SelectedCount() == 0)
        return;
    const bool copies = Hooks.DragCopies && Hooks.DragCopies();
    auto* data = new QMimeData;  // owned by the drag
    data->setData(QString::fromLatin1(kRowsMimeType), QByteArray());
    QDrag drag(this);
    drag.setMimeData(data);
    // The drag offers both: the target picks the copy for the Alt mark or
    // for Ctrl, held during the drag or at the drop, and the pointer then
    // shows the program's own copy-drag pointer.
    if (!FCopyCursor.pixmap().isNull())
        drag.setDragCursor(FCopyCursor.pixmap(), Qt::CopyAction);
    drag.exec(Qt::MoveAction | Qt::CopyAction, copies ? Qt::CopyAction : Qt::MoveAction);
    if (Hooks.DragEnded)
        Hooks.DragEnded();
}

const TPaneView* TPaneView::DragSource(const QDropEvent& event) const
{
    return qobject_cast<const TPaneView*>(event.source());
}

bool TPaneView::AcceptDrag(QDropEvent& event)
{
    const TPaneView* source = DragSource(event);
    const QMimeData* data = event.mimeData();
    const bool rows = source != nullptr && data != nullptr && data->hasFormat(QString::fromLatin1(kRowsMimeType));
    const bool files = source == nullptr && data != nullptr && data->hasUrls();
    if ((!rows && !files) || !Hooks.AcceptsDrop || !Hooks.AcceptsDrop(source, *data)) {
        event.ignore();
        return false;
    }
    // Files from the desktop are always copied; rows are copied for the
    // source's Alt mark or for Ctrl, as the desktop's convention has it
    // (window managers often take Alt-drags for themselves).
    const bool copies = files || event.modifiers().testFlag(Qt::ControlModifier)
                        || (source->Hooks.DragCopies && source->Hooks.DragCopies());
    event.setDropAction(copies ? Qt::CopyAction : Qt::MoveAction);
    event.accept();
    return true;
}

void TPaneView::dragEnterEvent(QDragEnterEvent* event)
{
    AcceptDrag(*event);
}

void TPaneView::dragMoveEvent(QDragMoveEvent* event)
{
    AcceptDrag(*event);
}

void TPaneView::dropEvent(QDropEvent* event)
{
    if (!AcceptDrag(*event))
        return;
    if (Hooks.Dropped)
        Hooks.Dropped(DragSource(*event), *event->mimeData(), event->dropAction() == Qt::CopyAction);
}

void TPaneView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Closed now, deleted later: it no longer counts as open.
    if (FEditor == editor)
        FEditor = nullptr;
    QListView::closeEditor(editor, hint);
    if (Hooks.EditEnded)
        Hooks.EditEnded();
}

void TPaneView::RowChanged(int row)
{
    const QModelIndex index = IndexOf(row);
    if (index.isValid())
        update(index);
}

int TPaneView::FirstSelectedRow() const
{
    for (int row = 0; row < FPane.RowCount(); ++row) {
        if (FPane.Row(row).Selected)
            return row;
    }
    return -1;
}

void TPaneView::SelectOnly(int first, int last)
{
    if (FPane.RowCount() == 0)
        return;
    const QItemSelection rows(IndexOf(first), IndexOf(last));
    selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
}
