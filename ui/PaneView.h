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

#include <QAbstractListModel>
#include <QListView>

#include <optional>

class TRowDelegate;

class TPaneListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TPaneListModel(TPaneModel& pane, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const TPaneModel& Pane() const { return FPane; }

    // The row operations, each announced to the view as it must be.
    int AddRow(const TFileInfo& info, std::optional<TThumbnail> thumbnail, const TSortState& sort);
    void RemoveRow(int row);
    void ClearPane();
    void Sort(const TSortState& sort);
    void ReleaseImages();

signals:
    // The rows were replaced or reordered as a whole; selection is in the
    // pane model's flags and must be shown again.
    void rowsReplaced();

private:
    TPaneModel& FPane;
};

class TPaneView : public QListView {
    Q_OBJECT
public:
    explicit TPaneView(QWidget* parent = nullptr);
    ~TPaneView() override;

    const TPaneModel& Pane() const { return FPane; }
    TPaneListModel& Rows() { return FRows; }
    TRowDelegate& Delegate() { return *FDelegate; }

    int AddRow(const TFileInfo& info, std::optional<TThumbnail> thumbnail, const TSortState& sort);
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

private:
    void CopySelectionToPane(const QItemSelection& selected, const QItemSelection& deselected);
    void ShowPaneSelection();

    TPaneModel FPane;
    TPaneListModel FRows;
    std::unique_ptr<TRowDelegate> FDelegate;
    int FUpdateDepth = 0;
    // Set while the pane model changes its rows or its flags are shown
    // again; selection signals then do not write back into the flags.
    bool FShowingSelection = false;
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
