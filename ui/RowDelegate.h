#pragma once

// How a pane row looks: a thumbnail on the left and three lines of text
// beside it (title, name, size and time). Drawing reads the row's record
// and its pre-scaled picture only; no file is touched while painting.

#include "catalogue/Thumbnail.h"
#include "catalogue/uClass.h"
#include "ui/RowLines.h"

#include <QStyledItemDelegate>

#include <functional>
#include <QColor>
#include <QPoint>
#include <QRect>

class QFont;
class QPainter;
class QPalette;
class TPaneModel;

// Fill of a selected row.
inline const QColor kSelectionColour{177, 185, 207};

// Where the parts of a row go. Edges follow the drawing convention of
// the row rectangle: Left/Top inclusive, Right/Bottom exclusive.
struct TRowLayout {
    QRect SelectionBox;     // inclusive corners, outline on its edge pixels
    QPoint Thumbnail;       // top-left of the 75 x 60 picture
    int TextLeft = 0;       // left edge of the three lines
    int TitleTop = 0;
    int NameTop = 0;
    int DetailsTop = 0;
};

// `row` is the row rectangle; `textHeight` the height of "A" in the
// pane's font; `hasPicture` whether a picture is drawn (text moves left
// when not).
TRowLayout RowLayout(const QRect& row, int textHeight, bool hasPicture);

// The height of "A" in `font`: the line step of the row's texts.
int TextHeight(const QFont& font);

// Height of every row: the picture with a small margin above and below.
inline constexpr int kRowHeight = TThumbnail::Height + 4;

// Where the mark of a video the handheld will not play goes: a square
// of the text's height just after the name line that starts at
// `nameLeft`, `nameTop`.
QRect PlayMarkRect(int nameLeft, int nameTop, const QFont& font, const QString& nameLine);

// The colour of that mark.
inline const QColor kWillNotPlayColour{224, 112, 0};

// Draws one row into `painter`. A row without a record draws nothing;
// `picture` null draws no picture; `willNotPlay` adds the mark after the
// name.
void lvDrawItem(QPainter& painter, const QRect& row, bool selected, const TFileInfoEx* record,
                const TThumbnail* picture, bool willNotPlay, const QFont& font, const QPalette& palette);

// The list views' item delegate: lvDrawItem for every row of one pane.
// (A styled delegate underneath for its editor handling: Enter commits,
// Esc cancels, losing the focus commits.)
class TRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TRowDelegate(const TPaneModel& pane, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Told when a row was painted with the placeholder because its picture
    // is not loaded yet: painting never reads a file.
    std::function<void()> PictureWanted;

private:
    const TPaneModel& FPane;
};
