#include "ui/Look.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPixmap>

QFont WindowFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

QFont CaptionFont()
{
    QFont font = WindowFont();
    font.setPointSize(10);
    font.setBold(true);
    return font;
}

QString WindowStyleSheet()
{
    return QStringLiteral(
        "QPushButton { background-color: #F4F4F0; border: 1px solid #7F9DB9; border-radius: 2px; }"
        "QPushButton:hover { border: 2px solid #FFC73C; }"
        "QPushButton:focus { border: 1px solid #6A8DF4; }"
        "QPushButton:hover:focus { border: 2px solid #FFC73C; }"
        "QPushButton:pressed { background-color: #6A8DF4; }"
        "QPushButton:disabled { color: #A0A0A0; }"
        "QLineEdit#edtPath, QComboBox#cbDriver { border: 1px solid #7F9DB9; background-color: #FFFFFF; }"
        // Greyed, their text stays readable on the white.
        "QLineEdit#edtPath:disabled, QComboBox#cbDriver:disabled { background-color: #FFFFFF; color: #808080; }"
        // The popup of the drive list: without colours of its own, the
        // selected entry took the box's white as its highlight and was
        // drawn white on white.
        "QComboBox#cbDriver QAbstractItemView { background-color: #FFFFFF; color: #000000;"
        " selection-background-color: #B1B9CF; selection-color: #000000; }"
        "QProgressBar#pbDealing { border: 1px solid #7F9DB9; background-color: #FFFFFF; }"
        "QProgressBar#pbDealing::chunk { background-color: #3C9A3C; width: 6px; margin: 1px; }");
}

// The pictures are compiled into the ui library; a static library's
// resources are registered only when something names them.
static void RegisterPictures()
{
    Q_INIT_RESOURCE(vantrel);
}

void ShowPicture(QLabel& label, const QString& resource)
{
    static const bool registered = (RegisterPictures(), true);
    (void)registered;
    label.setScaledContents(true);
    const QPixmap picture(resource);
    if (!picture.isNull())
        label.setPixmap(picture);
}
