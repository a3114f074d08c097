#include "ui/RowEditing.h"

#include "ui/PaneView.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

// The line of its row the editor covers, kept on the editor itself.
constexpr const char* kEditedLine = "vantrelEditedLine";

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
    editor->setProperty(kEditedLine, static_cast<int>(start->Line));
    FView.FEditor = editor;
    FView.FEditIndex = index;
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
    // After the label of its row's line, wherever the row is now, to the
    // row's right edge, one line of the pane's font high. Qt asks again
    // whenever the row or the view moves.
    const auto line = static_cast<TRowLine>(editor->property(kEditedLine).toInt());
    const QPoint place = RowValueStart(option.rect, option.font, line);
    const int height = TextHeight(option.font) + 4;
    editor->setGeometry(QRect(place, QSize(option.rect.right() + 1 - place.x(), height)));
}

bool TRowEditDelegate::eventFilter(QObject* watched, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(watched);
    if (editor != nullptr) {
        // Hidden by a wheel turn, the editor loses the focus: the edit
        // stays pending, neither committed nor dropped.
        if (event->type() == QEvent::FocusOut && editor->isHidden())
            return true;
        if (event->type() == QEvent::KeyPress) {
            const auto& key = *static_cast<QKeyEvent*>(event);
            if (FView.Hooks.KeyDown)
                FView.Hooks.KeyDown(key);
            // Tab confirms the edit as Enter does; Qt would also move the
            // selection and open an editor on the next row.
            if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) {
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                return true;
            }
        }
    }
    return TRowDelegate::eventFilter(watched, event);
}
