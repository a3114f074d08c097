#pragma once

// The window's look: fonts, colours and pictures shared by its controls.

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;

// The desktop's sans-serif at 8 points: the window's and the panes' font.
QFont WindowFont();
// The captions over the path box and the drive list: bold, 10 points.
QFont CaptionFont();

// Style sheet of the whole window: the buttons' faces, hot and highlight
// colours, and the frames of the path box and the drive list.
QString WindowStyleSheet();

// Shows the picture at `resource`, stretched to the label; a missing
// picture leaves the label empty.
void ShowPicture(QLabel& label, const QString& resource);

inline const QColor kSpaceFits{0x00, 0x00, 0x00};
inline const QColor kSpaceShort{0xFF, 0x00, 0x00};
