#pragma once

// The main window's controls, commands and menus, with their names,
// captions, places, tab order and look: everything the window shows, none
// of what it does. The window owns one and connects the commands to its
// handlers; every object here is a child of the window, found by its
// object name.

#include "ui/DriveBox.h"
#include "ui/PaneView.h"
#include "ui/SortCommands.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QWidget>

#include <array>

struct TMainForm {
    explicit TMainForm(QWidget& window);
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    TPaneView& Pane(TPaneSide which) { return which == TPaneSide::Computer ? lvPC : lvPsp; }

    QWidget& Window;

    // Controls, in creation order: a parent comes before its children.
    QFrame pl{&Window};
    QLabel imgPC{&pl};
    QLabel RzLabel1{&pl};
    QLineEdit edtPath{&pl};
    QPushButton btnSelect{&pl};
    QLabel imgPSP{&pl};
    QLabel lbl3{&pl};
    TDriveBox cbDriver{&pl};
    TPaneView lvPC{&Window};
    TPaneView lvPsp{&Window};
    QPushButton btn1{&Window};
    QPushButton RzButton1{&Window};
    QPushButton RzButton7{&Window};
    QPushButton RzButton2{&Window};
    QPushButton RzButton3{&Window};
    QPushButton RzButton4{&Window};
    QPushButton RzButton5{&Window};
    QPushButton btnHelp{&Window};
    QPushButton RzButton6{&Window};
    QStatusBar sbMain{&Window};
    QProgressBar pbDealing{&sbMain};
    QLabel spDealFileName{&sbMain};
    QLabel spDiskSize{&sbMain};

    // The command table.
    QAction actBrowse{&Window};
    QAction actMoveToPsp{&Window};
    QAction actCopyToPsp{&Window};
    QAction actDeletePspFile{&Window};
    QAction actMoveToPc{&Window};
    QAction actCopyToPc{&Window};
    QAction actRefresh{&Window};
    QAction actAbout{&Window};
    QAction actHelp{&Window};
    QAction actUpdate{&Window};
    QAction actOpenFolder{&Window};
    QAction actEditPCTitle{&Window};
    QAction actEditPSPTitle{&Window};
    QAction actModifyPcFileName{&Window};
    QAction actMnMoveToPsp{&Window};
    QAction actMnCopyToPsp{&Window};
    QAction actMnDeletePspFile{&Window};
    QAction actMnMoveToPc{&Window};
    QAction actMnCopyToPc{&Window};
    QActionGroup FPcSortGroup{&Window};
    QActionGroup FPspSortGroup{&Window};
    // The actions of kSortCommands, in its order; children of the window.
    std::array<QAction*, kSortCommandCount> FSortActions{};

    // The panes' context menus and their sort submenus.
    QMenu pmPC{&Window};
    QMenu miPCAsc{&pmPC};
    QMenu miPCDesc{&pmPC};
    QMenu pmPSP{&Window};
    QMenu miPSPAsc{&pmPSP};
    QMenu miPSPDesc{&pmPSP};

private:
    void BuildControls();
    void PlaceControls();
    void StyleControls();
    void SetTabOrder();
    void NameCommands();
    void BindButtons();
    void BuildMenus();
};
