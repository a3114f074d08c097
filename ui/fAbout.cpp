#include "ui/fAbout.h"

#include "platform/Executable.h"
#include "support/Addresses.h"
#include "support/VersionInfo.h"
#include "ui/DesktopOpen.h"
#include "ui/Look.h"

#include <QMouseEvent>
#include <QPalette>

namespace {

constexpr int kClientWidth = 434;
constexpr int kClientHeight = 215;

constexpr const char* kLegalNotice =
    "This program is protected by copyright law. Copying or distributing this program, or any part of it, "
    "without the permission of its maker may result in civil and criminal penalties and will be prosecuted "
    "to the extent the law allows.";
constexpr const char* kMakersLine = "Vantrel is made by Tolvane.";

void MakeBlack(QLabel& label)
{
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label.setPalette(palette);
}

} // namespace

TfrmAbout::TfrmAbout(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setFont(WindowFont());
    setFixedSize(kClientWidth, kClientHeight);

    imgAbout.setObjectName(QStringLiteral("imgAbout"));
    imgAbout.setGeometry(0, 0, kClientWidth, 100);
    ShowPicture(imgAbout, QStringLiteral(":/pictures/about-banner.png"));
    imgAbout.installEventFilter(this);

    // Over the banner, in its light corner.
    lblVersion.setObjectName(QStringLiteral("lblVersion"));
    lblVersion.move(261, 66);
    MakeBlack(lblVersion);
    lblVersion.raise();

    Label2.setObjectName(QStringLiteral("Label2"));
    Label2.setGeometry(10, 106, 409, 61);
    Label2.setWordWrap(true);
    Label2.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2.setText(QString::fromLatin1(kLegalNotice));
    MakeBlack(Label2);

    Label1.setObjectName(QStringLiteral("Label1"));
    Label1.move(10, 169);
    Label1.setText(QString::fromLatin1(kMakersLine));
    Label1.adjustSize();
    MakeBlack(Label1);

    lblHome.setObjectName(QStringLiteral("lblHome"));
    lblHome.move(10, 191);
    lblHome.setText(QString::fromLatin1(Addresses::kHomePage));
    QFont link = lblHome.font();
    link.setUnderline(true);
    lblHome.setFont(link);
    QPalette palette = lblHome.palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    lblHome.setPalette(palette);
    lblHome.setCursor(Qt::PointingHandCursor);
    lblHome.adjustSize();
    lblHome.installEventFilter(this);
}

void TfrmAbout::FormShow()
{
    lblVersion.setText(QStringLiteral("Version:%1").arg(QString::fromStdString(GetVersionText(platform::ExecutablePath()))));
    lblVersion.adjustSize();
}

void TfrmAbout::imgAboutClick()
{
    close();
}

void TfrmAbout::lblHomeClick()
{
    OpenWithDesktop(QUrl(lblHome.text()));
    close();
}

void TfrmAbout::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == &imgAbout) {
            imgAboutClick();
            return true;
        }
        if (watched == &lblHome) {
            lblHomeClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
