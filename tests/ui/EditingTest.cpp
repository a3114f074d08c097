// Editing titles and names in place, offscreen: where the editor opens,
// what a commit does to the files, and what a refused or failed edit
// leaves behind.

#include "UiFixture.h"

#include "catalogue/PSPTitle.h"
#include "tests/catalogue/TestFolders.h"
#include "ui/RowDelegate.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

class EditingTest : public THandheldUiTest {
protected:
    void SelectOnly(TPaneSide side, int row)
    {
        Pane(side).clearSelection();
        Pane(side).SelectRow(row);
    }

    void Key(QWidget& target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&target, &press);
    }

    // Types `text` into the open editor of `side` and presses Enter.
    void Commit(TPaneSide side, const std::string& text)
    {
        QLineEdit* editor = Pane(side).Editor();
        ASSERT_NE(editor, nullptr);
        editor->setText(QString::fromStdString(text));
        Key(*editor, Qt::Key_Return);
        // The commit runs queued, once Qt has closed the editor.
        QCoreApplication::sendPostedEvents();
        QApplication::processEvents();
    }

    // Where the value of a row's title or name line begins.
    QPoint ValueStart(TPaneSide side, int row, bool nameLine)
    {
        const QRect rect = Pane(side).visualRect(Pane(side).Rows().index(row));
        const QFont font = Pane(side).font();
        const TRowLayout layout = RowLayout(rect, TextHeight(font), true);
        const QString label = nameLine ? QStringLiteral("Name: ") : QStringLiteral("Title: ");
        return QPoint(layout.TextLeft + QFontMetrics(font).horizontalAdvance(label),
                      nameLine ? layout.NameTop : layout.TitleTop);
    }
};

} // namespace

TEST_F(EditingTest, TitleSavedFromTheEditorIsInTheFileAndOnTheRow)
{
    Put(TSampleFiles::Video("Old title"), FHandheld, "M4V00001.MP4");
    Start();
    SelectOnly(TPaneSide::Handheld, 0);

    Key(Pane(TPaneSide::Handheld), Qt::Key_F2);
    QLineEdit* editor = Pane(TPaneSide::Handheld).Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text().toStdString(), "Old title");
    EXPECT_EQ(editor->pos(), ValueStart(TPaneSide::Handheld, 0, false));
    EXPECT_EQ(FWindow->EditMode(), TEditMode::Title);
    Commit(TPaneSide::Handheld, "Névtelen – 日本");

    std::string error;
    EXPECT_EQ(PSPTitle::ReadTitle(FHandheld + "M4V00001.MP4", error), "Névtelen – 日本") << error;
    const TFileInfo& row = Pane(TPaneSide::Handheld).Pane().RecordAt(0);
    EXPECT_EQ(row.Title, "Névtelen – 日本");
    struct stat facts {};
    ASSERT_EQ(::stat((FHandheld + "M4V00001.MP4").c_str(), &facts), 0);
    EXPECT_EQ(row.Size, static_cast<double>(facts.st_size));
    EXPECT_EQ(row.WriteTime, FileTimeToDateTime(facts.st_mtime));
    EXPECT_EQ(FWindow->EditMode(), TEditMode::None);
    EXPECT_TRUE(FMessages.empty());
}

TEST_F(EditingTest, EscapeCancelsAndAFileThatCannotBeOpenedShowsTheLibrarysText)
{
    Put(TSampleFiles::Video("Kept"), FComputer, "clip.mp4");
    Start();
    SelectOnly(TPaneSide::Computer, 0);

    Key(Pane(TPaneSide::Computer), Qt::Key_F2);
    ASSERT_NE(Pane(TPaneSide::Computer).Editor(), nullptr);
    Pane(TPaneSide::Computer).Editor()->setText(QStringLiteral("Not stored"));
    Key(*Pane(TPaneSide::Computer).Editor(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(PSPTitle::ReadTitle(FComputer + "clip.mp4"), "Kept");
    EXPECT_EQ(FWindow->EditMode(), TEditMode::None);

    Key(Pane(TPaneSide::Computer), Qt::Key_F2);
    // The video is spoilt while the editor is open.
    Write(FComputer, "clip.mp4", "no longer a video");
    Commit(TPaneSide::Computer, "New");

    ASSERT_EQ(FMessages.size(), 1u);
    EXPECT_EQ(FMessages[0].Kind, TMessageKind::Error);
    EXPECT_NE(FMessages[0].Text.find("clip.mp4"), std::string::npos) << FMessages[0].Text;
    EXPECT_FALSE(Pane(TPaneSide::Computer).Pane().RecordAt(0).HasTitle);
    EXPECT_EQ(ReadFile(FComputer + "clip.mp4"), "no longer a video");
    // A row whose title cannot be read opens no title editor.
    Key(Pane(TPaneSide::Computer), Qt::Key_F2);
    EXPECT_EQ(Pane(TPaneSide::Computer).Editor(), nullptr);
    EXPECT_EQ(FWindow->EditMode(), TEditMode::None);
}

// The box of a failed save is up when the handheld is pulled out: the
// pane empties under the box, and nothing of the closed editor is
// touched afterwards.
TEST_F(EditingTest, AnUnplugWhileAFailedSavesBoxIsUpEmptiesThePane)
{
    Put(TSampleFiles::Video("Kept"), FHandheld, "M4V00001.MP4");
    Start();
    SelectOnly(TPaneSide::Handheld, 0);
    Key(Pane(TPaneSide::Handheld), Qt::Key_F2);
    ASSERT_NE(Pane(TPaneSide::Handheld).Editor(), nullptr);
    Write(FHandheld, "M4V00001.MP4", "no longer a video");
    FWhileBoxIsUp = [this] {
        Unplug(FDrive);
        FWindow->DriveChangeHandler(TDeviceEvent::RemoveComplete);
    };

    Commit(TPaneSide::Handheld, "New");

    ASSERT_FALSE(FMessages.empty());
    EXPECT_EQ(FMessages[0].Kind, TMessageKind::Error);
    EXPECT_THAT(Texts(FMessages), testing::ElementsAre(testing::HasSubstr("M4V00001.MP4"), "The current connected device is not PSP device."));
    EXPECT_EQ(Pane(TPaneSide::Handheld).Pane().RowCount(), 0);
    EXPECT_EQ(Pane(TPaneSide::Handheld).Editor(), nullptr);
    EXPECT_EQ(FWindow->EditMode(), TEditMode::None);
    EXPECT_EQ(ReadFile(FHandheld + "M4V00001.MP4"), "no longer a video");
}

// The edit mode is title exactly while a title editor is open, whatever
// happens to the pane meanwhile: a sort, a row added, a reload.
TEST_F(EditingTest, TheEditModeFollowsTheEditorAcrossSortsNewRowsAndReloads)
{
    Put(TSampleFiles::Video("One"), FHandheld, "M4V00001.MP4");
    Put(TSampleFiles::Video("Two"), FHandheld, "M4V00002.MP4");
    Put(TSampleFiles::Video("Sent"), FComputer, "sent.mp4");
    Start();
    TPaneView& pane = Pane(TPaneSide::Handheld);
    const auto expectModeMatchesEditor = [&](const char* after) {
        const bool open = pane.Editor() != nullptr;
        EXPECT_EQ(FWindow->EditMode(), open ? TEditMode::Title : TEditMode::None) << after;
    };
    const auto openEditor = [&] {
        SelectOnly(TPaneSide::Handheld, 0);
        Key(pane, Qt::Key_F2);
        ASSERT_NE(pane.Editor(), nullptr);
    };

    openEditor();
    Control<QAction>(*FWindow, "actPSPFileNameDesc").trigger();
    QApplication::processEvents();
    expectModeMatchesEditor("a sort");

    if (pane.Editor() == nullptr)
        openEditor();
    Pane(TPaneSide::Computer).SelectRow(0);
    Control<QAction>(*FWindow, "actCopyToPsp").trigger();
    QApplication::processEvents();
    ASSERT_EQ(pane.Pane().RowCount(), 3);
    expectModeMatchesEditor("a row added");

    if (pane.Editor() == nullptr)
        openEditor();
    Control<QAction>(*FWindow, "actRefresh").trigger();
    QApplication::processEvents();
    expectModeMatchesEditor("a reload");
    EXPECT_THAT(Texts(FMessages), testing::IsEmpty());
}

TEST_F(EditingTest, RenameOutcomesOnDisk)
{
    Put(TSampleFiles::Video("M"), FComputer, "movie.mp4");
    Put(TSampleFiles::RedThumbnail(), FComputer, "movie.THM");
    Put(TSampleFiles::Video("O"), FComputer, "other.MP4");
    Start();
    const auto rowOf = [this](const std::string& name) {
        const std::vector<std::string> names = Names(*FWindow, TPaneSide::Computer);
        return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    };
    SelectOnly(TPaneSide::Computer, rowOf("movie.mp4"));

    Key(Pane(TPaneSide::Computer), Qt::Key_F3);
    ASSERT_NE(Pane(TPaneSide::Computer).Editor(), nullptr);
    EXPECT_EQ(Pane(TPaneSide::Computer).Editor()->text().toStdString(), "movie.mp4");
    EXPECT_EQ(Pane(TPaneSide::Computer).Editor()->pos(), ValueStart(TPaneSide::Computer, rowOf("movie.mp4"), true));
    Commit(TPaneSide::Computer, "other.avi");
    EXPECT_EQ(Texts(FMessages), (std::vector<std::string>{"New file name is exist!"}));
    EXPECT_EQ(FMessages[0].Kind, TMessageKind::Plain);

    Key(Pane(TPaneSide::Computer), Qt::Key_F3);
    Commit(TPaneSide::Computer, "../escape");
    EXPECT_EQ(FMessages.back().Text, "Rename the file is failed!");
    EXPECT_FALSE(Exists(FComputer + "../escape.MP4"));

    Key(Pane(TPaneSide::Computer), Qt::Key_F3);
    Commit(TPaneSide::Computer, "clip.avi");
    EXPECT_EQ(FMessages.size(), 2u);
    EXPECT_TRUE(Exists(FComputer + "clip.MP4"));
    EXPECT_EQ(ReadFile(FComputer + "clip.THM"), ReadFile(TSampleFiles::RedThumbnail()));
    EXPECT_FALSE(Exists(FComputer + "movie.mp4"));
    EXPECT_EQ(Pane(TPaneSide::Computer).Pane().RecordAt(rowOf("clip.MP4")).ThumbPath, FComputer + "clip.THM");

    // The handheld pane never renames, whatever asks.
    Put(TSampleFiles::Video("H"), FHandheld, "M4V00001.MP4");
    FWindow->actRefreshExecute();
    SelectOnly(TPaneSide::Handheld, 0);
    Key(Pane(TPaneSide::Handheld), Qt::Key_F3);
    EXPECT_EQ(Pane(TPaneSide::Handheld).Editor(), nullptr);
}

TEST_F(EditingTest, EditorStaysPinnedOverTheValue)
{
    Put(TSampleFiles::Video("Pinned"), FComputer, "clip.mp4");
    Start();
    SelectOnly(TPaneSide::Computer, 0);
    Key(Pane(TPaneSide::Computer), Qt::Key_F2);
    QLineEdit* editor = Pane(TPaneSide::Computer).Editor();
    ASSERT_NE(editor, nullptr);
    const QPoint pinned = ValueStart(TPaneSide::Computer, 0, false);

    // Moved directly, and placed again by the pane after a relayout.
    editor->move(0, 0);
    TPaneView& pane = Pane(TPaneSide::Computer);
    pane.resize(pane.size() + QSize(0, 10));
    QApplication::processEvents();

    EXPECT_EQ(editor->pos(), pinned);
    EXPECT_EQ(editor->geometry().right(), Pane(TPaneSide::Computer).visualRect(Pane(TPaneSide::Computer).Rows().index(0)).right());
}

TEST_F(EditingTest, PressesOpenTheEditorByWhereTheyFall)
{
    Put(TSampleFiles::Video("Pressed"), FComputer, "clip.mp4");
    Put(TSampleFiles::Video("H"), FHandheld, "M4V00001.MP4");
    Start();
    QWidget* computer = Pane(TPaneSide::Computer).viewport();
    const auto press = [](QWidget* target, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMouseEvent down(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                         modifiers);
        QApplication::sendEvent(target, &down);
        QMouseEvent up(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                       modifiers);
        QApplication::sendEvent(target, &up);
    };

    press(computer, ValueStart(TPaneSide::Computer, 0, false) + QPoint(5, 2));
    ASSERT_NE(Pane(TPaneSide::Computer).Editor(), nullptr);
    EXPECT_EQ(FWindow->EditMode(), TEditMode::Title);
    Key(*Pane(TPaneSide::Computer).Editor(), Qt::Key_Escape);
    QApplication::processEvents();

    press(computer, ValueStart(TPaneSide::Computer, 0, true) + QPoint(5, 2));
    ASSERT_NE(Pane(TPaneSide::Computer).Editor(), nullptr);
    EXPECT_EQ(FWindow->EditMode(), TEditMode::FileName);
    Key(*Pane(TPaneSide::Computer).Editor(), Qt::Key_Escape);
    QApplication::processEvents();

    // The name line of a handheld row opens nothing; Alt marks a copy drag.
    QWidget* handheld = Pane(TPaneSide::Handheld).viewport();
    press(handheld, ValueStart(TPaneSide::Handheld, 0, true) + QPoint(5, 2), Qt::AltModifier);
    EXPECT_EQ(Pane(TPaneSide::Handheld).Editor(), nullptr);
    EXPECT_EQ(FWindow->EditMode(), TEditMode::None);
    EXPECT_EQ(FWindow->CopyDragMark(TPaneSide::Handheld), 1);
    FWindow->lvEndDrag(TPaneSide::Handheld);
    EXPECT_EQ(FWindow->CopyDragMark(TPaneSide::Handheld), 0);
}

TEST_F(EditingTest, DeleteInTheTitleEditorDeletesTextNotVideos)
{
    Put(TSampleFiles::Video("Keep me"), FHandheld, "M4V00001.MP4");
    Start();
    SelectOnly(TPaneSide::Handheld, 0);
    Key(Pane(TPaneSide::Handheld), Qt::Key_F2);
    QLineEdit* editor = Pane(TPaneSide::Handheld).Editor();
    ASSERT_NE(editor, nullptr);
    editor->setCursorPosition(0);
    FAnswers = {TMessageButton::Yes};

    Key(*editor, Qt::Key_Delete);

    EXPECT_TRUE(FMessages.empty());
    EXPECT_EQ(editor->text().toStdString(), "eep me");
    EXPECT_TRUE(Exists(FHandheld + "M4V00001.MP4"));

    Key(*editor, Qt::Key_Escape);
    QApplication::processEvents();
    // Outside the editor Delete asks, as the button does.
    FAnswers = {TMessageButton::No};
    Key(Pane(TPaneSide::Handheld), Qt::Key_Delete);
    EXPECT_EQ(Texts(FMessages),
              (std::vector<std::string>{"Are you sure you want to delete the selected file from the PSP list?"}));
}

TEST_F(EditingTest, KeysWithoutRowsOrSelectionDoNothing)
{
    Start();
    TPaneView& computer = Pane(TPaneSide::Computer);
    for (int key : {Qt::Key_F2, Qt::Key_F3})
        Key(computer, key);
    Key(computer, Qt::Key_Up, Qt::ControlModifier);
    Key(computer, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(computer.Editor(), nullptr);
    EXPECT_EQ(FWindow->EditMode(), TEditMode::None);
    EXPECT_TRUE(SelectedRows(*FWindow, TPaneSide::Computer).empty());

    Put(TSampleFiles::Video("One"), FComputer, "one.mp4");
    FWindow->actRefreshExecute();
    computer.clearSelection();
    Key(computer, Qt::Key_F2);
    EXPECT_EQ(computer.Editor(), nullptr);
    Key(computer, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(SelectedRows(*FWindow, TPaneSide::Computer), (std::vector<int>{0}));
    computer.clearSelection();
    Key(computer, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(SelectedRows(*FWindow, TPaneSide::Computer), (std::vector<int>{0}));
}

TEST_F(EditingTest, CtrlKeysSelectAllFirstOrLast)
{
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4"})
        Put(TSampleFiles::Video(name), FComputer, name);
    Start();
    TPaneView& computer = Pane(TPaneSide::Computer);
    computer.clearSelection();

    Key(computer, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(SelectedRows(*FWindow, TPaneSide::Computer), (std::vector<int>{0, 1, 2}));
    Key(computer, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(SelectedRows(*FWindow, TPaneSide::Computer), (std::vector<int>{2}));
    Key(computer, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(SelectedRows(*FWindow, TPaneSide::Computer), (std::vector<int>{0}));
}

TEST_F(EditingTest, ASecondF2WhileTheEditorIsOpenChangesNothing)
{
    Put(TSampleFiles::Video("Keep me"), FHandheld, "M4V00001.MP4");
    Start();
    SelectOnly(TPaneSide::Handheld, 0);
    Key(Pane(TPaneSide::Handheld), Qt::Key_F2);
    QLineEdit* editor = Pane(TPaneSide::Handheld).Editor();
    ASSERT_NE(editor, nullptr);

    Key(Pane(TPaneSide::Handheld), Qt::Key_F2);
    EXPECT_EQ(FWindow->EditMode(), TEditMode::Title);
    EXPECT_EQ(Pane(TPaneSide::Handheld).Editor(), editor);

    // Delete typed in the editor still deletes text, never the video.
    editor->setCursorPosition(0);
    FAnswers = {TMessageButton::Yes};
    Key(*editor, Qt::Key_Delete);
    EXPECT_TRUE(FMessages.empty());
    EXPECT_TRUE(Exists(FHandheld + "M4V00001.MP4"));
    Commit(TPaneSide::Handheld, "Kept");
    std::string error;
    EXPECT_EQ(PSPTitle::ReadTitle(FHandheld + "M4V00001.MP4", error), "Kept") << error;
}

// Tab confirms as Enter does and leaves the selection where it was: no
// editor opens on the next row.
TEST_F(EditingTest, TabCommitsAndKeepsTheSelection)
{
    Put(TSampleFiles::Video("One"), FHandheld, "M4V00001.MP4");
    Put(TSampleFiles::Video("Two"), FHandheld, "M4V00002.MP4");
    Start();
    SelectOnly(TPaneSide::Handheld, 0);
    Key(Pane(TPaneSide::Handheld), Qt::Key_F2);
    QLineEdit* editor = Pane(TPaneSide::Handheld).Editor();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Tabbed"));

    Key(*editor, Qt::Key_Tab);
    QCoreApplication::sendPostedEvents();
    QApplication::processEvents();

    std::string error;
    const std::string edited = Pane(TPaneSide::Handheld).Pane().RecordAt(0).FullPath;
    const std::string other = Pane(TPaneSide::Handheld).Pane().RecordAt(1).FullPath;
    EXPECT_EQ(PSPTitle::ReadTitle(edited, error), "Tabbed") << error;
    EXPECT_THAT(PSPTitle::ReadTitle(other, error), testing::AnyOf("One", "Two")) << error;
    EXPECT_EQ(SelectedRows(*FWindow, TPaneSide::Handheld), (std::vector<int>{0}));
    EXPECT_EQ(Pane(TPaneSide::Handheld).currentIndex().row(), 0);
    EXPECT_EQ(Pane(TPaneSide::Handheld).Editor(), nullptr);
    EXPECT_EQ(FWindow->EditMode(), TEditMode::None);
}

TEST_F(EditingTest, TheEditorFollowsItsRowAndClosesWithoutCommittingWhenTheRowLeavesTheView)
{
    for (int i = 0; i < 12; ++i)
        Put(TSampleFiles::Video("Same"), FComputer, "clip" + std::to_string(10 + i) + ".mp4");
    Start();
    TPaneView& pane = Pane(TPaneSide::Computer);
    SelectOnly(TPaneSide::Computer, 1);
    Key(pane, Qt::Key_F2);
    QLineEdit* editor = pane.Editor();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Half typed"));

    // One step down: the row moves up, and its editor with it.
    const QPoint before = editor->pos();
    pane.verticalScrollBar()->setValue(pane.verticalScrollBar()->value() + pane.verticalScrollBar()->singleStep());
    QApplication::processEvents();
    ASSERT_EQ(pane.Editor(), editor);
    EXPECT_EQ(editor->pos(), ValueStart(TPaneSide::Computer, 1, false));
    EXPECT_LT(editor->pos().y(), before.y());

    pane.verticalScrollBar()->setValue(pane.verticalScrollBar()->maximum());
    QCoreApplication::sendPostedEvents();
    QApplication::processEvents();
    EXPECT_EQ(pane.Editor(), nullptr);
    EXPECT_EQ(FWindow->EditMode(), TEditMode::None);
    EXPECT_EQ(pane.Pane().RecordAt(1).Title, "Same");
    std::string error;
    EXPECT_EQ(PSPTitle::ReadTitle(pane.Pane().RecordAt(1).FullPath, error), "Same") << error;
}

TEST_F(EditingTest, AWheelTurnHidesTheEditorWithTheEditPending)
{
    Put(TSampleFiles::Video("Before"), FHandheld, "M4V00001.MP4");
    Start();
    SelectOnly(TPaneSide::Handheld, 0);
    TPaneView& pane = Pane(TPaneSide::Handheld);
    pane.setFocus();
    Key(pane, Qt::Key_F2);
    QLineEdit* editor = pane.Editor();
    ASSERT_NE(editor, nullptr);
    // Focus moves, and Qt's commit on losing it happens, only in the
    // active window.
    QApplication::setActiveWindow(FWindow.get());
    editor->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(editor->hasFocus());
    editor->setText(QStringLiteral("Half"));

    QWheelEvent wheel(QPointF(10, 10), pane.viewport()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(pane.viewport(), &wheel);
    QCoreApplication::sendPostedEvents();
    QApplication::processEvents();

    EXPECT_TRUE(editor->isHidden());
    EXPECT_EQ(pane.Editor(), editor);
    EXPECT_EQ(FWindow->EditMode(), TEditMode::Title);
    std::string error;
    EXPECT_EQ(PSPTitle::ReadTitle(FHandheld + "M4V00001.MP4", error), "Before") << error;
    EXPECT_EQ(editor->text().toStdString(), "Half");
}
