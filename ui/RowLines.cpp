#include "ui/RowLines.h"

#include "ui/RowDelegate.h"

#include <QFontMetrics>

QRect RowLineRect(const QRect& row, const QFont& font, TRowLine line)
{
    const int h = TextHeight(font);
    const TRowLayout layout = RowLayout(row, h, true);
    const int top = line == TRowLine::Title ? layout.TitleTop : layout.NameTop;
    return QRect(QPoint(layout.TextLeft, top), QPoint(row.left() + row.width() - 1, top + h - 1));
}

QPoint RowValueStart(const QRect& row, const QFont& font, TRowLine line)
{
    const QString label = QString::fromLatin1(line == TRowLine::Title ? kTitleLabel : kNameLabel);
    const QRect lineRect = RowLineRect(row, font, line);
    return QPoint(lineRect.left() + QFontMetrics(font).horizontalAdvance(label), lineRect.top());
}
