#include "ui/Cursors.h"

#include <QApplication>
#include <QPixmap>

TWaitCursor::TWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TWaitCursor::~TWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

QCursor LoadCopyDragCursor()
{
    // The window shows its pictures first, which registers the resources.
    const QPixmap picture(QStringLiteral(":/pictures/copy-cursor.png"));
    if (picture.isNull())
        return QCursor(Qt::DragCopyCursor);
    return QCursor(picture, 0, 0);
}
