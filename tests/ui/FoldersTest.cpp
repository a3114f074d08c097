// The computer folder chosen through the folder dialog or typed into the
// path box.

#include "UiFixture.h"

#include <QApplication>
#include <QKeyEvent>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FoldersTest : public TUiTest {
protected:
    void PressEnter(TfrmVantrel& window)
    {
        QLineEdit& path = Control<QLineEdit>(window, "edtPath");
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&path, &press);
    }
};

TEST_F(FoldersTest, ChosenFolderIsListedWithItsFirstRowSelected)
{
    const std::string start = MakeFolder("start");
    const std::string chosen = MakeFolder("chosen");
    Put(TSampleFiles::Video("One"), chosen, "one.MP4");
    Put(TSampleFiles::Video("Two"), chosen, "two.mp4");
    auto window = StartWindow(start);
    FChosenFolder = chosen;

    Control<QAction>(*window, "actBrowse").trigger();

    EXPECT_THAT(FDialogStarts, ElementsAre(start + "/"));
    EXPECT_EQ(Control<QLineEdit>(*window, "edtPath").text().toStdString(), chosen);
    EXPECT_EQ(Names(*window, TPaneSide::Computer).size(), 2u);
    EXPECT_THAT(SelectedRows(*window, TPaneSide::Computer), ElementsAre(0));
    EXPECT_EQ(window->focusWidget(), &window->Pane(TPaneSide::Computer));
}

TEST_F(FoldersTest, CancelledDialogChangesNothing)
{
    const std::string start = MakeFolder("start");
    Put(TSampleFiles::Video("One"), start, "one.MP4");
    auto window = StartWindow(start);
    FChosenFolder.reset();

    Control<QPushButton>(*window, "btnSelect").click();

    EXPECT_EQ(FDialogStarts.size(), 1u);
    EXPECT_EQ(Control<QLineEdit>(*window, "edtPath").text().toStdString(), start + "/");
    EXPECT_THAT(Names(*window, TPaneSide::Computer), ElementsAre("one.MP4"));
}

TEST_F(FoldersTest, EnterListsTheTypedFolder)
{
    const std::string typed = MakeFolder("typed");
    Put(TSampleFiles::Video("One"), typed, "one.MP4");
    auto window = StartWindow();
    Control<QLineEdit>(*window, "edtPath").setText(QString::fromStdString(typed));

    PressEnter(*window);

    EXPECT_EQ(Control<QLineEdit>(*window, "edtPath").text().toStdString(), typed + "/");
    EXPECT_THAT(Names(*window, TPaneSide::Computer), ElementsAre("one.MP4"));
    EXPECT_THAT(SelectedRows(*window, TPaneSide::Computer), ElementsAre(0));
}

TEST_F(FoldersTest, EnterOnAFolderThatDoesNotExistEmptiesThePane)
{
    const std::string start = MakeFolder("start");
    Put(TSampleFiles::Video("One"), start, "one.MP4");
    auto window = StartWindow(start);
    Control<QLineEdit>(*window, "edtPath").setText(QString::fromStdString(Path("nowhere")));

    PressEnter(*window);

    EXPECT_EQ(window->Pane(TPaneSide::Computer).Pane().RowCount(), 0);
    EXPECT_THAT(Texts(FMessages), IsEmpty());
}

TEST_F(FoldersTest, ReloadKeepsOnePicturePerThumbnail)
{
    const std::string start = MakeFolder("start");
    Put(TSampleFiles::Video("One"), start, "one.MP4");
    Put(TSampleFiles::RedThumbnail(), start, "one.THM");
    Put(TSampleFiles::Video("Two"), start, "two.MP4");
    auto window = StartWindow(start);

    PressEnter(*window);
    PressEnter(*window);

    const TPaneModel& pane = window->Pane(TPaneSide::Computer).Pane();
    EXPECT_EQ(pane.RowCount(), 2);
    EXPECT_LE(pane.PictureCount(), 1) << "one thumbnail, however often the folder loads";
}

} // namespace
