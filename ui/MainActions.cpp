// The window's command table, the buttons bound to it, the panes'
// context menus and the event bindings of the controls.
//
// Every command gets its object name, caption and handler here; the sort
// commands come from their table (SortCommands.h).

#include "ui/Main.h"

namespace {

struct TActionEntry {
    QAction TfrmVantrel::*Action;
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

void TfrmVantrel::BuildActions()
{
    static const TActionEntry commands[] = {
        {&TfrmVantrel::actBrowse, "actBrowse", "..."},
        {&TfrmVantrel::actMoveToPsp, "actMoveToPsp", "&Move ->"},
        {&TfrmVantrel::actCopyToPsp, "actCopyToPsp", "&Copy ->"},
        {&TfrmVantrel::actDeletePspFile, "actDeletePspFile", "&Delete"},
        {&TfrmVantrel::actMoveToPc, "actMoveToPc", "<- M&ove"},
        {&TfrmVantrel::actCopyToPc, "actCopyToPc", "<- Co&py"},
        {&TfrmVantrel::actRefresh, "actRefresh", "&Refresh"},
        {&TfrmVantrel::actAbout, "actAbout", "&About"},
        {&TfrmVantrel::actHelp, "actHelp", "&Help"},
        {&TfrmVantrel::actUpdate, "actUpdate", ""},
        {&TfrmVantrel::actOpenFolder, "actOpenFolder", "&Open Folder"},
        {&TfrmVantrel::actEditPCTitle, "actEditPCTitle", "Edit Title"},
        {&TfrmVantrel::actEditPSPTitle, "actEditPSPTitle", "Edit Title"},
        {&TfrmVantrel::actModifyPcFileName, "actModifyPcFileName", ""},
        {&TfrmVantrel::actMnMoveToPsp, "actMnMoveToPsp", "&Move ->"},
        {&TfrmVantrel::actMnCopyToPsp, "actMnCopyToPsp", "&Copy ->"},
        {&TfrmVantrel::actMnDeletePspFile, "actMnDeletePspFile", "&Delete"},
        {&TfrmVantrel::actMnMoveToPc, "actMnMoveToPc", "<- M&ove"},
        {&TfrmVantrel::actMnCopyToPc, "actMnCopyToPc", "<- Co&py"},
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
        QAction* const action = FSortActions[i] = new QAction(this);
        action->setObjectName(QString::fromLatin1(command.Name));
        action->setText(QString::fromLatin1(command.Caption));
        action->setCheckable(true);
        (command.Pane == TPaneSide::Computer ? FPcSortGroup : FPspSortGroup).addAction(action);
        connect(action, &QAction::triggered, this, [this, &command] { RunSortCommand(command); });
    }
    FPcSortGroup.setExclusive(true);
    FPspSortGroup.setExclusive(true);

    // The transfer, deletion and editing commands.
    const std::pair<QAction*, void (TfrmVantrel::*)()> handlers[] = {
        {&actMoveToPsp, &TfrmVantrel::actMoveToPspExecute},
        {&actCopyToPsp, &TfrmVantrel::actCopyToPspExecute},
        {&actMoveToPc, &TfrmVantrel::actMoveToPcExecute},
        {&actCopyToPc, &TfrmVantrel::actCopyToPcExecute},
        {&actDeletePspFile, &TfrmVantrel::actDeletePspFileExecute},
        {&actEditPCTitle, &TfrmVantrel::actEditPCTitleExecute},
        {&actEditPSPTitle, &TfrmVantrel::actEditPSPTitleExecute},
        {&actModifyPcFileName, &TfrmVantrel::actModifyPcFileNameExecute},
    };
    for (const auto& [action, handler] : handlers)
        connect(action, &QAction::triggered, this, handler);
    // The pop-up menus' twins run their command with both panes' repaints
    // held until it is done.
    const std::pair<QAction*, QAction*> twins[] = {
        {&actMnMoveToPsp, &actMoveToPsp}, {&actMnCopyToPsp, &actCopyToPsp}, {&actMnMoveToPc, &actMoveToPc},
        {&actMnCopyToPc, &actCopyToPc},   {&actMnDeletePspFile, &actDeletePspFile},
    };
    for (const auto& [twin, command] : twins)
        connect(twin, &QAction::triggered, this, [this, command = command] { RunMenuCommand(*command); });

    connect(&actBrowse, &QAction::triggered, this, &TfrmVantrel::actBrowseExecute);
    connect(&actRefresh, &QAction::triggered, this, &TfrmVantrel::actRefreshExecute);
    connect(&actHelp, &QAction::triggered, this, &TfrmVantrel::actHelpExecute);
    connect(&actOpenFolder, &QAction::triggered, this, &TfrmVantrel::actOpenFolderExecute);
    connect(&actAbout, &QAction::triggered, this, &TfrmVantrel::actAboutExecute);
    // Run as a command, the update check is one the user asked for.
    connect(&actUpdate, &QAction::triggered, this, [this] { actUpdateExecute(&actUpdate); });
}

void TfrmVantrel::BindButtons()
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

void TfrmVantrel::BuildMenus()
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
    connect(&cbDriver, &TDriveBox::driveReported, this, &TfrmVantrel::cbDriverChange);
    edtPath.installEventFilter(this);
    // Pressing on the window's background moves the window.
    QObject* const background[] = {
        this, &pl, &imgPC, &imgPSP, &RzLabel1, &lbl3, &sbMain, &pbDealing, &spDealFileName, &spDiskSize,
    };
    for (QObject* control : background)
        control->installEventFilter(this);
}
