// The window's controls: names, texts, places, tab order and look.

#include "ui/MainForm.h"

#include "ui/Look.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

constexpr int kClientWidth = 633;
constexpr int kClientHeight = 524;
constexpr int kButtonHeight = 25;

} // namespace

TMainForm::TMainForm(QWidget& window) : Window(window)
{
    BuildControls();
    NameCommands();
    BuildMenus();
    BindButtons();
}

void TMainForm::BuildControls()
{
    Window.setObjectName(QStringLiteral("frmVantrel"));
    Window.setWindowTitle(QStringLiteral("Tolvane Vantrel"));
    // Fixed size, system menu and minimise box, no maximise box.
    Window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    Window.setFixedSize(kClientWidth, kClientHeight);
    Window.setFont(WindowFont());

    const std::pair<QObject*, const char*> names[] = {
        {&pl, "pl"},
        {&imgPC, "imgPC"},
        {&RzLabel1, "RzLabel1"},
        {&edtPath, "edtPath"},
        {&btnSelect, "btnSelect"},
        {&imgPSP, "imgPSP"},
        {&lbl3, "lbl3"},
        {&cbDriver, "cbDriver"},
        {&lvPC, "lvPC"},
        {&lvPsp, "lvPsp"},
        {&btn1, "btn1"},
        {&RzButton1, "RzButton1"},
        {&RzButton7, "RzButton7"},
        {&RzButton2, "RzButton2"},
        {&RzButton3, "RzButton3"},
        {&RzButton4, "RzButton4"},
        {&RzButton5, "RzButton5"},
        {&btnHelp, "btnHelp"},
        {&RzButton6, "RzButton6"},
        {&sbMain, "sbMain"},
        {&pbDealing, "pbDealing"},
        {&spDealFileName, "spDealFileName"},
        {&spDiskSize, "spDiskSize"},
    };
    for (const auto& [object, name] : names)
        object->setObjectName(QString::fromLatin1(name));

    PlaceControls();
    StyleControls();
    SetTabOrder();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        Window.move(screen->availableGeometry().center() - Window.rect().center());
}

void TMainForm::PlaceControls()
{
    pl.setGeometry(0, 0, kClientWidth, 68);
    imgPC.setGeometry(4, 9, 48, 48);
    RzLabel1.move(54, 12);
    edtPath.setGeometry(56, 32, 187, 21);
    btnSelect.setGeometry(246, 31, 27, 23);
    imgPSP.setGeometry(358, 9, 52, 48);
    lbl3.move(414, 12);
    cbDriver.setGeometry(415, 32, 210, 21);

    lvPC.setGeometry(0, 68, 272, 437);
    lvPsp.setGeometry(kClientWidth - 272, 68, 272, 437);

    const std::pair<QPushButton*, int> column[] = {
        {&btn1, 106}, {&RzButton1, 139}, {&RzButton7, 172}, {&RzButton2, 255},
        {&RzButton3, 288}, {&RzButton4, 321}, {&RzButton5, 445},
    };
    for (const auto& [button, top] : column)
        button->setGeometry(277, top, 79, kButtonHeight);
    btnHelp.setGeometry(277, 478, 38, kButtonHeight);
    RzButton6.setGeometry(318, 478, 38, kButtonHeight);

    sbMain.setGeometry(0, 505, kClientWidth, 19);
    sbMain.setSizeGripEnabled(false);
    pbDealing.setFixedWidth(233);
    spDiskSize.setFixedWidth(203);
    sbMain.addWidget(&pbDealing);
    sbMain.addWidget(&spDealFileName, 1);
    sbMain.addPermanentWidget(&spDiskSize);
}

void TMainForm::StyleControls()
{
    Window.setStyleSheet(WindowStyleSheet());

    ShowPicture(imgPC, QStringLiteral(":/pictures/pc.png"));
    ShowPicture(imgPSP, QStringLiteral(":/pictures/psp.png"));
    RzLabel1.setText(QStringLiteral("My Computer"));
    lbl3.setText(QStringLiteral("My PSP"));
    for (QLabel* caption : {&RzLabel1, &lbl3}) {
        caption->setFont(CaptionFont());
        caption->adjustSize();
    }

    pbDealing.setRange(0, 100);
    pbDealing.setValue(0);
    pbDealing.setTextVisible(false);
    spDealFileName.setText(QStringLiteral("Ready"));
    sbMain.setFocusPolicy(Qt::NoFocus);
}

void TMainForm::SetTabOrder()
{
    // The top panel first (browse button, path box, drive list), then the
    // panes and the buttons from top to bottom.
    QWidget* const chain[] = {
        &btnSelect, &edtPath, &cbDriver, &lvPC, &lvPsp, &btn1, &RzButton1, &RzButton7,
        &RzButton2, &RzButton3, &RzButton4, &RzButton5, &btnHelp, &RzButton6,
    };
    for (std::size_t i = 1; i < std::size(chain); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}
