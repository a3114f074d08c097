#pragma once

// The in-place editor of a pane's rows: a one-line editor over the value
// of a row's title or name line, after its label. The pane's Editing hook
// decides whether it opens, with what text and over which line; it moves
// with its row (the pane closes it when the row leaves the view). Keys
// typed into it reach the pane's key hook first.

#include "ui/RowDelegate.h"

class TPaneView;

class TRowEditDelegate : public TRowDelegate {
    Q_OBJECT
public:
    TRowEditDelegate(const TPaneModel& pane, TPaneView& view);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TPaneView& FView;
};
