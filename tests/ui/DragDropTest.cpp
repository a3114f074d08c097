// Drops between the panes and from the desktop, the menu twins and the
// panes' menus, offscreen: the handlers a real drag ends in.

#include "UiFixture.h"

#include "tests/catalogue/TestFolders.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QMimeData>
#include <QUrl>

namespace {

class DragDropTest : public THandheldUiTest {
protected:
    void SetUp() override
    {
        THandheldUiTest::SetUp();
        Put(TSampleFiles::Video("Trip"), FComputer, "trip.mp4");
        Put(TSampleFiles::RedThumbnail(), FComputer, "trip.THM");
        Start();
        Pane(TPaneSide::Computer).SelectRow(0);
    }

    // Drops the computer pane's rows on the handheld pane and lets the
    // batch that follows the drop run.
    // `ctrlHeld`: dropped with Ctrl held.
    void DropComputerRows(bool ctrlHeld = false)
    {
        QMimeData rows;
        rows.setData(QStringLiteral("application/x-vantrel-pane-rows"), QByteArray());
        ASSERT_TRUE(FWindow->lvDragOver(TPaneSide::Handheld, &Pane(TPaneSide::Computer), rows));
        FWindow->lvDragDrop(TPaneSide::Handheld, &Pane(TPaneSide::Computer), rows, ctrlHeld);
        QApplication::processEvents();
    }

};

} // namespace

TEST_F(DragDropTest, DropWithoutTheMarkMovesAndWithItCopies)
{
    QMimeData rows;
    EXPECT_FALSE(FWindow->lvDragOver(TPaneSide::Computer, &Pane(TPaneSide::Computer), rows));
    EXPECT_FALSE(FWindow->lvDragOver(TPaneSide::Handheld, &Pane(TPaneSide::Handheld), rows));

    // An Alt press on the row marks the drag that follows as a copy.
    const QRect row = Pane(TPaneSide::Computer).visualRect(Pane(TPaneSide::Computer).Rows().index(0));
    QMouseEvent press(QEvent::MouseButtonPress, row.center(), Pane(TPaneSide::Computer).mapToGlobal(row.center()),
                      Qt::LeftButton, Qt::LeftButton, Qt::AltModifier);
    FWindow->lvMouseDown(TPaneSide::Computer, press);
    ASSERT_EQ(FWindow->CopyDragMark(TPaneSide::Computer), 1);
    DropComputerRows();
    EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld), (std::vector<std::string>{"M4V00001.MP4"}));
    EXPECT_TRUE(Exists(FComputer + "trip.mp4"));
    EXPECT_EQ(FWindow->CopyDragMark(TPaneSide::Computer), 0);
    EXPECT_TRUE(Pane(TPaneSide::Computer).dragEnabled());
    EXPECT_TRUE(Pane(TPaneSide::Handheld).dragEnabled());

    DropComputerRows();
    EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld), (std::vector<std::string>{"M4V00001.MP4", "M4V00002.MP4"}));
    EXPECT_FALSE(Exists(FComputer + "trip.mp4"));
    EXPECT_FALSE(Exists(FComputer + "trip.THM"));
    EXPECT_EQ(ReadFile(FHandheld + "M4V00002.THM"), ReadFile(TSampleFiles::RedThumbnail()));
    EXPECT_TRUE(Names(*FWindow, TPaneSide::Computer).empty());
}

// Window managers often take Alt-drags: Ctrl at the drop copies too, and
// an Alt press that started no drag leaves no mark behind.
TEST_F(DragDropTest, CtrlAtTheDropCopiesAndAStaleAltPressMarksNothing)
{
    const QRect row = Pane(TPaneSide::Computer).visualRect(Pane(TPaneSide::Computer).Rows().index(0));
    const QPoint global = Pane(TPaneSide::Computer).mapToGlobal(row.center());
    QMouseEvent altPress(QEvent::MouseButtonPress, row.center(), global, Qt::LeftButton, Qt::LeftButton,
                         Qt::AltModifier);
    FWindow->lvMouseDown(TPaneSide::Computer, altPress);
    QMouseEvent plainPress(QEvent::MouseButtonPress, row.center(), global, Qt::LeftButton, Qt::LeftButton,
                           Qt::NoModifier);
    FWindow->lvMouseDown(TPaneSide::Computer, plainPress);
    EXPECT_EQ(FWindow->CopyDragMark(TPaneSide::Computer), 0);

    // The second press of a quick pair reaches the pane as a double click.
    FWindow->lvMouseDown(TPaneSide::Computer, altPress);
    QMouseEvent secondPress(QEvent::MouseButtonDblClick, row.center(), global, Qt::LeftButton, Qt::LeftButton,
                            Qt::NoModifier);
    QApplication::sendEvent(Pane(TPaneSide::Computer).viewport(), &secondPress);
    EXPECT_EQ(FWindow->CopyDragMark(TPaneSide::Computer), 0);

    DropComputerRows(true);
    EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld), (std::vector<std::string>{"M4V00001.MP4"}));
    EXPECT_TRUE(Exists(FComputer + "trip.mp4"));
    EXPECT_TRUE(Exists(FComputer + "trip.THM"));
}

TEST_F(DragDropTest, MenuTwinsHoldBothPanesRepaintsWhileTheirCommandRuns)
{
    std::vector<bool> updates;
    TCopyFile& copier = FWindow->Copier();
    copier.OnProgress = [this, &updates, report = copier.OnProgress](int count, const std::string& path) {
        report(count, path);
        if (updates.empty()) {
            updates.push_back(Pane(TPaneSide::Computer).updatesEnabled());
            updates.push_back(Pane(TPaneSide::Handheld).updatesEnabled());
        }
    };

    Control<QAction>(*FWindow, "actMnCopyToPsp").trigger();

    EXPECT_EQ(updates, (std::vector<bool>{false, false}));
    EXPECT_TRUE(Pane(TPaneSide::Computer).updatesEnabled());
    EXPECT_TRUE(Pane(TPaneSide::Handheld).updatesEnabled());
    EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld), (std::vector<std::string>{"M4V00001.MP4"}));
}

TEST_F(DragDropTest, MenusOpenOnlyOnAFocusedRowAndNeverWhileBusy)
{
    QMenu& menu = Control<QMenu>(*FWindow, "pmPC");
    FWindow->lvItemContextMenu(TPaneSide::Computer, -1);
    EXPECT_FALSE(menu.isVisible());

    bool openedWhileBusy = true;
    TCopyFile& copier = FWindow->Copier();
    copier.OnProgress = [&, report = copier.OnProgress](int count, const std::string& path) {
        report(count, path);
        FWindow->lvItemContextMenu(TPaneSide::Computer, 0);
        openedWhileBusy = menu.isVisible();
    };
    Control<QAction>(*FWindow, "actCopyToPsp").trigger();
    EXPECT_FALSE(openedWhileBusy);

    FWindow->lvItemContextMenu(TPaneSide::Computer, 0);
    EXPECT_TRUE(menu.isVisible());
    menu.close();

    // From the keyboard: Shift+F10 on the row that has the focus mark.
    Pane(TPaneSide::Computer).setCurrentIndex(Pane(TPaneSide::Computer).Rows().index(0));
    QKeyEvent shiftF10(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
    QApplication::sendEvent(&Pane(TPaneSide::Computer), &shiftF10);
    EXPECT_TRUE(menu.isVisible());
    menu.close();
}

TEST_F(DragDropTest, FilesFromTheDesktopAreCopiedToTheHandheldOnly)
{
    const std::string desktop = MakeFolder("desktop") + "/";
    Put(TSampleFiles::Video("Dropped"), desktop, "dropped.MP4");
    Put(TSampleFiles::RedThumbnail(), desktop, "dropped.thm");
    Write(desktop, "notes.txt", "not a video");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(desktop + "dropped.MP4")),
                   QUrl::fromLocalFile(QString::fromStdString(desktop + "notes.txt"))});

    EXPECT_FALSE(FWindow->lvDragOver(TPaneSide::Computer, nullptr, files));
    ASSERT_TRUE(FWindow->lvDragOver(TPaneSide::Handheld, nullptr, files));
    FWindow->lvDragDrop(TPaneSide::Handheld, nullptr, files);
    QApplication::processEvents();

    EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld), (std::vector<std::string>{"M4V00001.MP4"}));
    EXPECT_EQ(ReadFile(FHandheld + "M4V00001.MP4"), ReadFile(TSampleFiles::Video("Dropped")));
    EXPECT_EQ(ReadFile(FHandheld + "M4V00001.THM"), ReadFile(TSampleFiles::RedThumbnail()));
    EXPECT_TRUE(Exists(desktop + "dropped.MP4"));
    ASSERT_EQ(FMessages.size(), 1u);
    EXPECT_NE(FMessages[0].Text.find(desktop + "notes.txt"), std::string::npos) << FMessages[0].Text;
}
