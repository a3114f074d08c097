// The window's command table, the buttons bound to it, the panes'
// context menus and the event bindings of the controls.
//
// Every command gets its object name, caption and handler here; the sort
// commands come from their table (SortCommands.h).

#include "ui/Main.h"
#include "ui/MainForm.h"

namespace {

struct TActionEntry {
    QAction TMainForm::*Action;
    const char* Name;
    const char* Caption;
};

// A button shows its command: caption (with its mnemonic), enabled state,
// and a click runs it.
void BindButton(QPushButton& button, QAction& action)
{
    const auto show = [&button, &action] {
        button.setText(action.text());
        button.setEnabled(action.isEnabled());
    };
    show();
    QObject::connect(&action, &QAction::changed, &button, show);
    QObject::connect(&button, &QPushButton::clicked, &action, &QAction::trigger);
}

} // namespace

void TMainForm::NameCommands()
{
    static const TActionEntry commands[] = {
        {&TMainForm::actBrowse, "actBrowse", "..."},
        {&TMainForm::actMoveToPsp, "actMoveToPsp", "&Move ->"},
        {&TMainForm::actCopyToPsp, "actCopyToPsp", "&Copy ->"},
        {&TMainForm::actDeletePspFile, "actDeletePspFile", "&Delete"},
        {&TMainForm::actMoveToPc, "actMoveToPc", "<- M&ove"},
        {&TMainForm::actCopyToPc, "actCopyToPc", "<- Co&py"},
        {&TMainForm::actRefresh, "actRefresh", "&Refresh"},
        {&TMainForm::actAbout, "actAbout", "&About"},
        {&TMainForm::actHelp, "actHelp", "&Help"},
        {&TMainForm::actUpdate, "actUpdate", ""},
        {&TMainForm::actOpenFolder, "actOpenFolder", "&Open Folder"},
        {&TMainForm::actEditPCTitle, "actEditPCTitle", "Edit Title"},
        {&TMainForm::actEditPSPTitle, "actEditPSPTitle", "Edit Title"},
        {&TMainForm::actModifyPcFileName, "actModifyPcFileName", ""},
        {&TMainForm::actMnMoveToPsp, "actMnMoveToPsp", "&Move ->"},
        {&TMainForm::actMnCopyToPsp, "actMnCopyToPsp", "&Copy ->"},
        {&TMainForm::actMnDeletePspFile, "actMnDeletePspFile", "&Delete"},
        {&TMainForm::actMnMoveToPc, "actMnMoveToPc", "<- M&ove"},
        {&TMainForm::actMnCopyToPc, "actMnCopyToPc", "<- Co&py"},
    };
    for (const TActionEntry& entry : commands) {
        QAction& action = this->*entry.Action;
        action.setObjectName(QString::fromLatin1(entry.Name));
        action.setText(QString::fromLatin1(entry.Caption));
    }
    FPcSortGroup.setObjectName(QStringLiteral("PcSortGroup"));
    FPspSortGroup.setObjectName(QStringLiteral("PspSortGroup"));

    // Nine sort commands per pane, each ticking itself, one ticked at a
    // time in each pane's group.
    for (std::size_t i = 0; i < kSortCommandCount; ++i) {
        const TSortCommand& command = kSortCommands[i];
        QAction* const action = FSortActions[i] = new QAction(&Window);
        action->setObjectName(QString::fromLatin1(command.Name));
        action->setText(QString::fromLatin1(command.Caption));
        action->setCheckable(true);
        (command.Pane == TPaneSide::Computer ? FPcSortGroup : FPspSortGroup).addAction(action);
    }
    FPcSortGroup.setExclusive(true);
    FPspSortGroup.setExclusive(true);
}

void TfrmVantrel::ConnectCommands()
{
    for (std::size_t i = 0; i < kSortCommandCount; ++i)
        connect(FForm->FSortActions[i], &QAction::triggered, this, [this, i] { RunSortCommand(kSortCommands[i]); });
    // The transfer, deletion and editing commands.
    const std::pair<QAction*, void (TfrmVantrel::*)()> handlers[] = {
        {&FForm->actMoveToPsp, &TfrmVantrel::actMoveToPspExecute},
        {&FForm->actCopyToPsp, &TfrmVantrel::actCopyToPspExecute},
        {&FForm->actMoveToPc, &TfrmVantrel::actMoveToPcExecute},
        {&FForm->actCopyToPc, &TfrmVantrel::actCopyToPcExecute},
        {&FForm->actDeletePspFile, &TfrmVantrel::actDeletePspFileExecute},
        {&FForm->actEditPCTitle, &TfrmVantrel::actEditPCTitleExecute},
        {&FForm->actEditPSPTitle, &TfrmVantrel::actEditPSPTitleExecute},
        {&FForm->actModifyPcFileName, &TfrmVantrel::actModifyPcFileNameExecute},
    };
    for (const auto& [action, handler] : handlers)
        connect(action, &QAction::triggered, this, handler);
    // The pop-up menus' twins run their command with both panes' repaints
    // held until it is done.
    const std::pair<QAction*, QAction*> twins[] = {
        {&FForm->actMnMoveToPsp, &FForm->actMoveToPsp}, {&FForm->actMnCopyToPsp, &FForm->actCopyToPsp}, {&FForm->actMnMoveToPc, &FForm->actMoveToPc},
        {&FForm->actMnCopyToPc, &FForm->actCopyToPc},   {&FForm->actMnDeletePspFile, &FForm->actDeletePspFile},
    };
    for (const auto& [twin, command] : twins)
        connect(twin, &QAction::triggered, this, [this, command = command] { RunMenuCommand(*command); });

    connect(&FForm->actBrowse, &QAction::triggered, this, &TfrmVantrel::actBrowseExecute);
    connect(&FForm->actRefresh, &QAction::triggered, this, &TfrmVantrel::actRefreshExecute);
    connect(&FForm->actHelp, &QAction::triggered, this, &TfrmVantrel::actHelpExecute);
    connect(&FForm->actOpenFolder, &QAction::triggered, this, &TfrmVantrel::actOpenFolderExecute);
    connect(&FForm->actAbout, &QAction::triggered, this, &TfrmVantrel::actAboutExecute);
    // Run as a command, the update check is one the user asked for.
    connect(&FForm->actUpdate, &QAction::triggered, this, [this] { actUpdateExecute(&FForm->actUpdate); });
}

void TMainForm::BindButtons()
{
    const std::pair<QPushButton*, QAction*> buttons[] = {
        {&btnSelect, &actBrowse},   {&btn1, &actMoveToPsp},     {&RzButton1, &actCopyToPsp},
        {&RzButton7, &actOpenFolder}, {&RzButton2, &actMoveToPc}, {&RzButton3, &actCopyToPc},
        {&RzButton4, &actDeletePspFile}, {&RzButton5, &actRefresh}, {&btnHelp, &actHelp},
        {&RzButton6, &actAbout},
    };
    for (const auto& [button, action] : buttons)
        BindButton(*button, *action);
}

void TMainForm::BuildMenus()
{
    pmPC.setObjectName(QStringLiteral("pmPC"));
    pmPSP.setObjectName(QStringLiteral("pmPSP"));
    miPCAsc.setObjectName(QStringLiteral("miPCAsc"));
    miPCDesc.setObjectName(QStringLiteral("miPCDesc"));
    miPSPAsc.setObjectName(QStringLiteral("miPSPAsc"));
    miPSPDesc.setObjectName(QStringLiteral("miPSPDesc"));
    for (QMenu* ascending : {&miPCAsc, &miPSPAsc})
        ascending->setTitle(QStringLiteral("&Asc Sort By"));
    for (QMenu* descending : {&miPCDesc, &miPSPDesc})
        descending->setTitle(QStringLiteral("&Desc Sort By"));

    pmPC.addActions({&actMnMoveToPsp, &actMnCopyToPsp, &actOpenFolder});
    pmPSP.addActions({&actMnMoveToPc, &actMnCopyToPc, &actMnDeletePspFile});
    for (QMenu* menu : {&pmPC, &pmPSP})
        menu->addSeparator();
    // No Sort in the menu itself, each key in its direction's submenu.
    for (std::size_t i = 0; i < kSortCommandCount; ++i) {
        const TSortCommand& command = kSortCommands[i];
        const bool computer = command.Pane == TPaneSide::Computer;
        QMenu& menu = command.Key == TSortKey::skNone ? (computer ? pmPC : pmPSP)
                      : command.Descending           ? (computer ? miPCDesc : miPSPDesc)
                                                     : (computer ? miPCAsc : miPSPAsc);
        menu.addAction(FSortActions[i]);
    }
    for (QMenu* menu : {&pmPC, &pmPSP}) {
        const bool computer = menu == &pmPC;
        menu->addMenu(computer ? &miPCAsc : &miPSPAsc);
        menu->addMenu(computer ? &miPCDesc : &miPSPDesc);
        menu->addSeparator();
        menu->addAction(&actRefresh);
    }
}

void TfrmVantrel::BindEvents()
{
    connect(&FForm->cbDriver, &TDriveBox::driveReported, this, &TfrmVantrel::cbDriverChange);
    FForm->edtPath.installEventFilter(this);
    // Pressing on the window's background moves the window.
    QObject* const background[] = {
        this, &FForm->pl, &FForm->imgPC, &FForm->imgPSP, &FForm->RzLabel1, &FForm->lbl3, &FForm->sbMain, &FForm->pbDealing, &FForm->spDealFileName, &FForm->spDiskSize,
    };
    for (QObject* control : background)
        control->installEventFilter(this);
}
