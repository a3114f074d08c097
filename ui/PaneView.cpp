#include "ui/PaneView.h"

#include "ui/RowDelegate.h"

#include <QItemSelectionModel>
#include <QScopedValueRollback>

TPaneListModel::TPaneListModel(TPaneModel& pane, QObject* parent) : QAbstractListModel(parent), FPane(pane) {}

int TPaneListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FPane.RowCount();
}

QVariant TPaneListModel::data(const QModelIndex&, int) const
{
    // Rows show no caption text: the delegate draws everything from the
    // record.
    return {};
}

int TPaneListModel::AddRow(const TFileInfo& info, std::optional<TThumbnail> thumbnail, const TSortState& sort)
{
    if (FPane.IsSorted()) {
        // A sorted pane may reorder all of its rows to take the new one.
        beginResetModel();
        const int position = FPane.AddRow(info, std::move(thumbnail), sort);
        endResetModel();
        emit rowsReplaced();
        return position;
    }
    const int position = FPane.RowCount();
    beginInsertRows(QModelIndex(), position, position);
    FPane.AddRow(info, std::move(thumbnail), sort);
    endInsertRows();
    return position;
}

void TPaneListModel::RemoveRow(int row)
{
    if (row < 0 || row >= FPane.RowCount())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    FPane.RemoveRow(row);
    endRemoveRows();
}

void TPaneListModel::ClearPane()
{
    beginResetModel();
    FPane.ClearPane();
    endResetModel();
}

void TPaneListModel::Sort(const TSortState& sort)
{
    beginResetModel();
    FPane.Sort(sort);
    endResetModel();
    emit rowsReplaced();
}

void TPaneListModel::ReleaseImages()
{
    beginResetModel();
    FPane.ClearPane();
    FPane.ReleaseImages();
    endResetModel();
}

TPaneView::TPaneView(QWidget* parent)
    : QListView(parent), FRows(FPane), FDelegate(std::make_unique<TRowDelegate>(FPane))
{
    setModel(&FRows);
    setItemDelegate(FDelegate.get());
    setViewMode(QListView::ListMode);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &TPaneView::CopySelectionToPane);
    connect(&FRows, &TPaneListModel::rowsReplaced, this, &TPaneView::ShowPaneSelection);
}

TPaneView::~TPaneView()
{
    // The view lets go of the model and the delegate before they go.
    setModel(nullptr);
    setItemDelegate(nullptr);
}

int TPaneView::AddRow(const TFileInfo& info, std::optional<TThumbnail> thumbnail, const TSortState& sort)
{
    const QScopedValueRollback keepFlags(FShowingSelection, true);
    return FRows.AddRow(info, std::move(thumbnail), sort);
}

void TPaneView::RemoveRow(int row)
{
    const QScopedValueRollback keepFlags(FShowingSelection, true);
    FRows.RemoveRow(row);
}

void TPaneView::ClearPane()
{
    const QScopedValueRollback keepFlags(FShowingSelection, true);
    FRows.ClearPane();
}

void TPaneView::Sort(const TSortState& sort)
{
    const QScopedValueRollback keepFlags(FShowingSelection, true);
    FRows.Sort(sort);
}

void TPaneView::ReleaseImages()
{
    const QScopedValueRollback keepFlags(FShowingSelection, true);
    FRows.ReleaseImages();
}

void TPaneView::SelectRow(int row)
{
    const QModelIndex index = FRows.index(row);
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
    if (FUpdateDepth > 0 && --FUpdateDepth == 0)
        setUpdatesEnabled(true);
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

void TPaneView::ShowPaneSelection()
{
    QItemSelection selection;
    for (int row = 0; row < FPane.RowCount(); ++row) {
        if (FPane.Row(row).Selected)
            selection.select(FRows.index(row), FRows.index(row));
    }
    const QScopedValueRollback keepFlags(FShowingSelection, true);
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}
