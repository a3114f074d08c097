#include "ui/RowEditing.h"

#include "ui/PaneView.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

// Where the editor belongs, kept on the editor itself.
constexpr const char* kPinnedAt = "vantrelPinnedAt";

} // namespace

TRowEditDelegate::TRowEditDelegate(const TPaneModel& pane, TPaneView& view) : TRowDelegate(pane, &view), FView(view) {}

QWidget* TRowEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    if (!FView.Hooks.Editing)
        return nullptr;
    const std::optional<TEditStart> start = FView.Hooks.Editing(index.row());
    if (!start)
        return nullptr;
    auto* editor = new QLineEdit(parent);  // owned by the view from here on
    editor->setFrame(false);
    editor->setFont(option.font);
    editor->setText(QString::fromStdString(start->Text));
    editor->setProperty(kPinnedAt, start->Position);
    FView.FEditor = editor;
    return editor;
}

void TRowEditDelegate::setEditorData(QWidget*, const QModelIndex&) const
{
    // The text was set when the editor opened; the rows hold no editable
    // model data to load again.
}

void TRowEditDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const
{
    const auto* line = qobject_cast<QLineEdit*>(editor);
    if (line != nullptr && FView.Hooks.Edited)
        FView.Hooks.Edited(index.row(), line->text().toStdString());
}

void TRowEditDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex&) const
{
    const QPoint pinned = editor->property(kPinnedAt).toPoint();
    if (editor->size().isEmpty() || !editor->isVisible()) {
        // The first placing gives the size it keeps: to the row's right
        // edge, one line of the pane's font high.
        const int height = TextHeight(option.font) + 4;
        editor->setGeometry(QRect(pinned, QSize(option.rect.right() + 1 - pinned.x(), height)));
    } else {
        editor->move(pinned);
    }
}

bool TRowEditDelegate::eventFilter(QObject* watched, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(watched);
    if (editor != nullptr) {
        if (event->type() == QEvent::Move && editor->pos() != editor->property(kPinnedAt).toPoint()) {
            editor->move(editor->property(kPinnedAt).toPoint());
            return true;
        }
        if (event->type() == QEvent::KeyPress && FView.Hooks.KeyDown)
            FView.Hooks.KeyDown(*static_cast<QKeyEvent*>(event));
    }
    return TRowDelegate::eventFilter(watched, event);
}
