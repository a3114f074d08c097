#include "ui/RowDelegate.h"

#include "catalogue/PaneModel.h"
#include "catalogue/Sorting.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QStyleOptionViewItem>

#include <cmath>

namespace {

const QColor kTextColour{0, 0, 0};
const QColor kCorruptedColour{255, 0, 0};
constexpr const char* kCorruptedTitle = ">>>>>>Corrupted Data<<<<<<";

// The picture's pixels as they are, without a copy: TThumbnail stores
// 0xAARRGGBB words, which is QImage's ARGB32 layout.
QImage PictureImage(const TThumbnail& picture)
{
    return QImage(reinterpret_cast<const uchar*>(picture.Pixels.data()), TThumbnail::Width, TThumbnail::Height,
                  TThumbnail::Width * 4, QImage::Format_ARGB32);
}

void DrawLine(QPainter& painter, const QFontMetrics& metrics, int left, int top, const QString& text)
{
    // A plain drawText at the baseline: never elided, never wrapped; the
    // pane cuts a long line off at its edge.
    painter.drawText(QPoint(left, top + metrics.ascent()), text);
}

// A filled disc with an exclamation mark: readable at the text's size
// and in any font, since it is drawn rather than written.
void DrawPlayMark(QPainter& painter, const QRect& box)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kWillNotPlayColour);
    painter.drawEllipse(box);
    const double unit = box.width() / 8.0;
    const QPointF centre = QRectF(box).center();
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(centre.x() - unit / 2, box.top() + 1.5 * unit, unit, 3.5 * unit));
    painter.drawRect(QRectF(centre.x() - unit / 2, box.top() + 5.75 * unit, unit, unit));
    painter.restore();
}

} // namespace

QRect PlayMarkRect(int nameLeft, int nameTop, const QFont& font, const QString& nameLine)
{
    const QFontMetrics metrics(font);
    const int side = metrics.height();
    return QRect(nameLeft + metrics.horizontalAdvance(nameLine) + side / 3, nameTop, side, side);
}

int TextHeight(const QFont& font)
{
    return QFontMetrics(font).size(Qt::TextSingleLine, QStringLiteral("A")).height();
}

TRowLayout RowLayout(const QRect& row, int textHeight, bool hasPicture)
{
    const int left = row.left();
    const int top = row.top();
    const int right = row.left() + row.width();
    const int bottom = row.top() + row.height();

    TRowLayout layout;
    layout.SelectionBox = QRect(QPoint(left + 1, top), QPoint(right - left - 2, bottom - 1));
    const double spare = (bottom - top - TThumbnail::Height) / 2.0;
    layout.Thumbnail = QPoint(left + 3, top + static_cast<int>(std::nearbyint(spare)));
    layout.TextLeft = hasPicture ? left + TThumbnail::Width + 6 : left + 3;
    layout.TitleTop = top + 3;
    layout.NameTop = top + textHeight + 6;
    layout.DetailsTop = top + 2 * textHeight + 9;
    return layout;
}

void lvDrawItem(QPainter& painter, const QRect& row, bool selected, const TFileInfoEx* record,
                const TThumbnail* picture, bool willNotPlay, const QFont& font, const QPalette& palette)
{
    if (record == nullptr)
        return;
    const TFileInfo& info = record->FileInfo;
    const int h = TextHeight(font);
    const TRowLayout layout = RowLayout(row, h, picture != nullptr);

    painter.save();
    QColor background = palette.color(QPalette::Base);
    if (selected) {
        background = kSelectionColour;
        painter.fillRect(layout.SelectionBox, palette.color(QPalette::Highlight));
        painter.fillRect(layout.SelectionBox.adjusted(1, 1, -1, -1), background);
    } else {
        painter.fillRect(row, background);
    }

    if (picture != nullptr)
        painter.drawImage(layout.Thumbnail, PictureImage(*picture));

    painter.setFont(font);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(background);
    const QFontMetrics metrics(font);
    if (info.HasTitle) {
        painter.setPen(kTextColour);
        DrawLine(painter, metrics, layout.TextLeft, layout.TitleTop,
                 QString::fromLatin1(kTitleLabel) + QString::fromStdString(info.Title));
    } else {
        painter.setPen(kCorruptedColour);
        DrawLine(painter, metrics, layout.TextLeft, layout.TitleTop, QString::fromLatin1(kCorruptedTitle));
        painter.setPen(kTextColour);
    }
    const QString nameLine = QString::fromLatin1(kNameLabel) + QString::fromStdString(info.FileName);
    DrawLine(painter, metrics, layout.TextLeft, layout.NameTop, nameLine);
    if (willNotPlay)
        DrawPlayMark(painter, PlayMarkRect(layout.TextLeft, layout.NameTop, font, nameLine));
    DrawLine(painter, metrics, layout.TextLeft, layout.DetailsTop,
             QString::fromStdString(FormatSize(info.Size) + " " + info.WriteTime));
    painter.restore();
}

TRowDelegate::TRowDelegate(const TPaneModel& pane, QObject* parent) : QStyledItemDelegate(parent), FPane(pane) {}

void TRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= FPane.RowCount())
        return;
    (void)FPane.RecordAt(index.row());  // a row only listed so far is described when first drawn
    const TPaneRow& row = FPane.Row(index.row());
    const TThumbnail* picture = nullptr;
    if (!FPane.ImagesReleased()) {
        picture = FPane.LoadedPictureOf(index.row());
        if (picture == nullptr)
            picture = &FPane.Placeholder();
        if (!FPane.PictureLoaded(index.row()) && PictureWanted)
            PictureWanted();
    }
    const bool willNotPlay = row.Playability->Known() && !row.Playability->Plays();
    lvDrawItem(*painter, option.rect, option.state.testFlag(QStyle::State_Selected), row.Info.get(), picture,
               willNotPlay, option.font, option.palette);
}

QSize TRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return QSize(option.rect.width(), kRowHeight);
}
