#pragma once

#include <QPoint>
#include <QRect>

class QFont;

// The two lines of a row that can be edited in place, and the labels
// their values follow.
enum class TRowLine { Title, Name };
inline constexpr const char* kTitleLabel = "Title: ";
inline constexpr const char* kNameLabel = "Name: ";

// The line `line` of the row `row` across the row's width, and the point
// where its value begins (after its label). Every row carries a picture,
// its thumbnail or the placeholder.
QRect RowLineRect(const QRect& row, const QFont& font, TRowLine line);
QPoint RowValueStart(const QRect& row, const QFont& font, TRowLine line);
