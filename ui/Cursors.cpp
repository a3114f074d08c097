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
    const QPixmap picture(QStringLiteral(":/pictures/copy-cursor.png"));
    if (picture.isNull())
        return QCursor(Qt::DragCopyCursor);
    return QCursor(picture, 0, 0);
}
