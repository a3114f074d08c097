// Transfers both ways and deletion in the real window, offscreen: rows,
// files on disk, messages, the lock, stopping and the way back to idle.

#include "UiFixture.h"

#include "tests/catalogue/TestFolders.h"
#include "tests/common/MakeMedia.h"
#include "catalogue/HandheldFolder.h"
#include "media/Playability.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

bool IsRed(const TThumbnail& picture)
{
    const std::uint32_t pixel = picture.Pixels[TThumbnail::Width * 30 + 37];
    return (pixel >> 24) == 0xFF && ((pixel >> 16) & 0xFF) > 0xC0 && ((pixel >> 8) & 0xFF) < 0x40;
}

class TransfersTest : public THandheldUiTest {
protected:
    void Select(TPaneSide pane, std::initializer_list<int> rows)
    {
        for (int row : rows)
            FWindow->Pane(pane).SelectRow(row);
    }

    void Run(const char* command) { Control<QAction>(*FWindow, command).trigger(); }

    // The window is idle again: not busy, every command back, "Ready".
    void ExpectIdle()
    {
        EXPECT_FALSE(FWindow->IsBusy());
        EXPECT_EQ(Control<QLabel>(*FWindow, "spDealFileName").text().toStdString(), "Ready");
        EXPECT_EQ(Control<QProgressBar>(*FWindow, "pbDealing").value(), 0);
        for (const char* command : {"actCopyToPsp", "actMoveToPc", "actDeletePspFile", "actRefresh", "actPCTitleAsc"})
            EXPECT_TRUE(Control<QAction>(*FWindow, command).isEnabled()) << command;
        EXPECT_TRUE(Control<QLineEdit>(*FWindow, "edtPath").isEnabled());
    }

    // Runs `during` at the first copied chunk of the video `source`.
    void DuringCopyOf(const std::string& source, std::function<void()> during)
    {
        TCopyFile& copier = FWindow->Copier();
        copier.OnProgress = [this, source, during = std::move(during), report = copier.OnProgress,
                             done = false](int count, const std::string& path) mutable {
            report(count, path);
            if (!done && path == source) {
                done = true;
                during();
            }
        };
    }

    // The record of the row in `pane` named `name`.
    const TFileInfo& Record(TPaneSide pane, const std::string& name)
    {
        const TPaneModel& model = FWindow->Pane(pane).Pane();
        for (int row = 0; row < model.RowCount(); ++row) {
            if (model.RecordAt(row).FileName == name)
                return model.RecordAt(row);
        }
        throw std::runtime_error("no row " + name);
    }

    // The handheld row that came from the computer video `computerName`.
    const TFileInfo& ArrivedFrom(const std::string& computerName)
    {
        const TPaneModel& model = FWindow->Pane(TPaneSide::Handheld).Pane();
        for (int row = 0; row < model.RowCount(); ++row) {
            if (model.RecordAt(row).NewPath == computerName)
                return model.RecordAt(row);
        }
        throw std::runtime_error("nothing arrived from " + computerName);
    }

    int RowOf(TPaneSide pane, const std::string& name)
    {
        const std::vector<std::string> names = Names(*FWindow, pane);
        return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    }

    void PressEscape()
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&FWindow->Pane(TPaneSide::Computer), &press);
    }

};

} // namespace

TEST_F(TransfersTest, CopyToTheHandheldAddsRowsAndKeepsTheComputerSide)
{
    Put(TSampleFiles::Video("Holiday"), FComputer, "holiday.mp4");
    Put(TSampleFiles::RedThumbnail(), FComputer, "holiday.THM");
    Put(TSampleFiles::Video("Beach"), FComputer, "beach.mp4");
    Put(TSampleFiles::Video("Old"), FHandheld, "M4V00011.MP4");
    Start();
    Select(TPaneSide::Computer, {0, 1});
    const std::vector<std::string> computer = Names(*FWindow, TPaneSide::Computer);

    Run("actCopyToPsp");

    EXPECT_TRUE(FMessages.empty());
    EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld),
              (std::vector<std::string>{"M4V00011.MP4", "M4V00012.MP4", "M4V00013.MP4"}));
    EXPECT_EQ(Names(*FWindow, TPaneSide::Computer), computer);
    EXPECT_EQ(SelectedRows(*FWindow, TPaneSide::Computer), (std::vector<int>{0, 1}));
    // The new rows come unselected; the first row stays selected from the load.
    EXPECT_EQ(SelectedRows(*FWindow, TPaneSide::Handheld), (std::vector<int>{0}));
    EXPECT_EQ(FWindow->HighestVideoNumber(), 13);
    const TFileInfo& holiday = ArrivedFrom("holiday.mp4");
    EXPECT_EQ(ReadFile(holiday.FullPath), ReadFile(TSampleFiles::Video("Holiday")));
    EXPECT_EQ(holiday.Title, "Holiday");
    EXPECT_EQ(ReadFile(ThumbnailPathFor(holiday.FullPath)), ReadFile(TSampleFiles::RedThumbnail()));
    EXPECT_EQ(holiday.ThumbPath, FHandheld + holiday.FileName.substr(0, 8) + ".THM");
    const TFileInfo& beach = ArrivedFrom("beach.mp4");
    EXPECT_EQ(ReadFile(beach.FullPath), ReadFile(TSampleFiles::Video("Beach")));
    // A video without a thumbnail gets one made on the way, and its new
    // row shows that picture; the computer folder gains nothing.
    EXPECT_FALSE(beach.NoThumb);
    EXPECT_TRUE(Exists(ThumbnailPathFor(beach.FullPath)));
    const std::vector<std::string> handheld = Names(*FWindow, TPaneSide::Handheld);
    const auto beachRow = std::find(handheld.begin(), handheld.end(), beach.FileName) - handheld.begin();
    EXPECT_NE(FWindow->Pane(TPaneSide::Handheld).Pane().PictureOf(static_cast<int>(beachRow)), nullptr);
    EXPECT_FALSE(Exists(FComputer + "beach.THM"));
    ExpectIdle();
}

TEST_F(TransfersTest, MoveToTheHandheldRemovesRowsAndKeepsTheOtherRowsPictures)
{
    Put(TSampleFiles::Video("Kept"), FComputer, "kept.mp4");
    Put(TSampleFiles::RedThumbnail(), FComputer, "kept.THM");
    Put(TSampleFiles::Video("Gone"), FComputer, "gone.mp4");
    Put(TSampleFiles::WhiteThumbnail(), FComputer, "gone.THM");
    Put(TSampleFiles::Video("Also"), FComputer, "also.mp4");
    Put(TSampleFiles::WhiteThumbnail(), FComputer, "also.THM");
    Start();
    Select(TPaneSide::Computer, {RowOf(TPaneSide::Computer, "gone.mp4"), RowOf(TPaneSide::Computer, "also.mp4")});

    Run("actMoveToPsp");

    EXPECT_EQ(Names(*FWindow, TPaneSide::Computer), (std::vector<std::string>{"kept.mp4"}));
    const TPaneModel& computer = FWindow->Pane(TPaneSide::Computer).Pane();
    ASSERT_NE(computer.PictureOf(0), nullptr);
    EXPECT_TRUE(IsRed(*computer.PictureOf(0)));
    EXPECT_EQ(computer.PictureCount(), 1);
    EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld).size(), 2u);
    for (const char* name : {"gone.mp4", "gone.THM", "also.mp4", "also.THM"})
        EXPECT_FALSE(Exists(FComputer + name)) << name;
    EXPECT_EQ(ReadFile(ArrivedFrom("gone.mp4").FullPath), ReadFile(TSampleFiles::Video("Gone")));
    ExpectIdle();
}

TEST_F(TransfersTest, VideosGoBackUnderTheirComputerNamesThenNumberedNames)
{
    Put(TSampleFiles::Video("Holiday"), FComputer, "holiday.mp4");
    Put(TSampleFiles::RedThumbnail(), FComputer, "holiday.THM");
    Start();
    Select(TPaneSide::Computer, {0});
    Run("actMoveToPsp");
    ASSERT_EQ(Names(*FWindow, TPaneSide::Handheld), (std::vector<std::string>{"M4V00001.MP4"}));

    // The path box loses its trailing '/' to show that a copy puts it back.
    Control<QLineEdit>(*FWindow, "edtPath").setText(QString::fromStdString(FComputer.substr(0, FComputer.size() - 1)));
    Select(TPaneSide::Handheld, {0});
    Run("actCopyToPc");
    EXPECT_EQ(Control<QLineEdit>(*FWindow, "edtPath").text().toStdString(), FComputer);
    EXPECT_EQ(ReadFile(FComputer + "holiday.mp4"), ReadFile(TSampleFiles::Video("Holiday")));
    EXPECT_EQ(ReadFile(FComputer + "holiday.THM"), ReadFile(TSampleFiles::RedThumbnail()));
    EXPECT_TRUE(Record(TPaneSide::Computer, "holiday.mp4").NewPath.empty());

    Run("actCopyToPc");
    Run("actMoveToPc");
    EXPECT_EQ(Names(*FWindow, TPaneSide::Computer),
              (std::vector<std::string>{"holiday.mp4", "M4V00001.MP4", "M4V00001_0.MP4"}));
    EXPECT_TRUE(Names(*FWindow, TPaneSide::Handheld).empty());
    EXPECT_FALSE(Exists(FHandheld + "M4V00001.MP4"));
    EXPECT_FALSE(Exists(FHandheld + "M4V00001.THM"));
    EXPECT_EQ(ReadFile(FComputer + "M4V00001_0.THM"), ReadFile(TSampleFiles::RedThumbnail()));
    ExpectIdle();
}

TEST_F(TransfersTest, NamesWrapAfter99999AndAStrayThumbnailStays)
{
    Put(TSampleFiles::Video("Last"), FHandheld, "M4V99999.MP4");
    Write(FHandheld, "M4V00001.THM", "stray");
    Put(TSampleFiles::Video("New"), FComputer, "new.mp4");
    Put(TSampleFiles::RedThumbnail(), FComputer, "new.THM");
    Start();
    Select(TPaneSide::Computer, {0});

    Run("actCopyToPsp");

    const TFileInfo& arrived = ArrivedFrom("new.mp4");
    EXPECT_EQ(arrived.FileName, "M4V00001.MP4");
    EXPECT_TRUE(arrived.NoThumb);
    EXPECT_EQ(ReadFile(FHandheld + "M4V00001.THM"), "stray");
    EXPECT_EQ(FWindow->Pane(TPaneSide::Handheld).Pane().PictureOf(RowOf(TPaneSide::Handheld, "M4V00001.MP4")), nullptr);
    ExpectIdle();
}

TEST_F(TransfersTest, TooLittleSpaceOrTooLargeAVideoCopiesNothing)
{
    ScratchMedium medium(FDrive, "64k");
    if (!medium.Mounted())
        GTEST_SKIP() << medium.Problem();
    MakeFolder("psp/MP_ROOT/100MNV01");
    Write(FComputer, "large.mp4", PatternBytes(100 * 1024));
    Start();
    Select(TPaneSide::Computer, {0});

    Run("actCopyToPsp");
    EXPECT_EQ(Texts(FMessages), (std::vector<std::string>{"Not enough free disk space for storage."}));
    EXPECT_EQ(FMessages.at(0).Kind, TMessageKind::Information);
    EXPECT_TRUE(fs::is_empty(FHandheld));
    ExpectIdle();
}

TEST_F(TransfersTest, VideoOf4GiBIsRefusedForAFatHandheldBeforeCopying)
{
    {
        std::ofstream(FComputer + "huge.mp4").close();
    }
    fs::resize_file(FComputer + "huge.mp4", std::uintmax_t(4) << 30);
    Start();
    Select(TPaneSide::Computer, {0});

    Run("actCopyToPsp");

    ASSERT_EQ(FMessages.size(), 1u);
    EXPECT_NE(FMessages[0].Text.find(FComputer + "huge.mp4"), std::string::npos) << FMessages[0].Text;
    EXPECT_TRUE(fs::is_empty(FHandheld));
    ExpectIdle();
}

TEST_F(TransfersTest, FullMediumPartWayKeepsTheFirstVideoAndLeavesNoPartialFile)
{
    ScratchMedium medium(FDrive, "64k");
    if (!medium.Mounted())
        GTEST_SKIP() << medium.Problem();
    MakeFolder("psp/MP_ROOT/100MNV01");
    // Within the free bytes, but not within the medium's 16 pages.
    Write(FComputer, "a.mp4", PatternBytes(30000));
    Write(FComputer, "b.mp4", PatternBytes(34000));
    Start();
    Select(TPaneSide::Computer, {0, 1});
    const std::string first = Names(*FWindow, TPaneSide::Computer).at(0);

    Run("actCopyToPsp");

    EXPECT_EQ(Texts(FMessages), (std::vector<std::string>{"Read/Write file fail!"}));
    EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld), (std::vector<std::string>{"M4V00001.MP4"}));
    EXPECT_EQ(ArrivedFrom(first).FileName, "M4V00001.MP4");
    EXPECT_FALSE(Exists(FHandheld + "M4V00002.MP4"));
    ExpectIdle();
}

TEST_F(TransfersTest, SourceThatCannotBeDeletedKeepsItsRowAndIsNamedOnce)
{
    ScratchMedium medium(FComputer + "stick", "1m");
    if (!medium.Mounted())
        GTEST_SKIP() << medium.Problem();
    const std::string folder = medium.Path() + "/";
    Put(TSampleFiles::Video("Stuck"), folder, "stuck.mp4");
    Put(TSampleFiles::RedThumbnail(), folder, "stuck.THM");
    ASSERT_TRUE(medium.MakeReadOnly());
    Plug(FDrive);
    FWindow = StartWindow(folder);
    Select(TPaneSide::Computer, {0});

    Run("actMoveToPsp");

    EXPECT_EQ(Names(*FWindow, TPaneSide::Computer), (std::vector<std::string>{"stuck.mp4"}));
    EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld), (std::vector<std::string>{"M4V00001.MP4"}));
    ASSERT_EQ(FMessages.size(), 1u);
    EXPECT_NE(FMessages[0].Text.find(folder + "stuck.mp4"), std::string::npos) << FMessages[0].Text;
    EXPECT_TRUE(Exists(folder + "stuck.THM"));
    ExpectIdle();
}

TEST_F(TransfersTest, BatchLocksTheCommandsButNotThePanes)
{
    Put(TSampleFiles::Video("A"), FComputer, "a.mp4");
    Start();
    Select(TPaneSide::Computer, {0});
    std::map<std::string, bool> during;
    DuringCopyOf(FComputer + "a.mp4", [&] {
        for (const char* command : {"actCopyToPsp", "actMnCopyToPc", "actDeletePspFile", "actRefresh", "actBrowse",
                                    "actOpenFolder", "actPSPSizeDesc", "actPCSortNone", "actEditPSPTitle"})
            during[command] = Control<QAction>(*FWindow, command).isEnabled();
        during["lvPC"] = FWindow->Pane(TPaneSide::Computer).isEnabled();
        during["lvPsp"] = FWindow->Pane(TPaneSide::Handheld).isEnabled();
        during["edtPath"] = Control<QLineEdit>(*FWindow, "edtPath").isEnabled();
        during["busy"] = FWindow->IsBusy();
        // A command of the lock list does nothing while the batch runs.
        Run("actCopyToPsp");
    });

    Run("actCopyToPsp");

    for (const auto& [name, enabled] : during) {
        const bool expected = name == "lvPC" || name == "lvPsp" || name == "busy";
        EXPECT_EQ(enabled, expected) << name;
    }
    EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld), (std::vector<std::string>{"M4V00001.MP4"}));
    ExpectIdle();
}

TEST_F(TransfersTest, EscapeStopsTheBatchAtTheVideoUnderWay)
{
    Put(TSampleFiles::Video("A"), FComputer, "a.mp4");
    Put(TSampleFiles::Video("B", 10), FComputer, "b.mp4");
    Start();
    Select(TPaneSide::Computer, {0, 1});
    const std::string second = Names(*FWindow, TPaneSide::Computer).at(1);
    DuringCopyOf(FComputer + second, [this] { PressEscape(); });

    Run("actMoveToPsp");

    // A move starts from the last row: the second row was under way.
    EXPECT_TRUE(FMessages.empty());
    EXPECT_TRUE(Names(*FWindow, TPaneSide::Handheld).empty());
    EXPECT_TRUE(fs::is_empty(FHandheld));
    EXPECT_EQ(Names(*FWindow, TPaneSide::Computer).size(), 2u);
    ExpectIdle();

    Select(TPaneSide::Computer, {0, 1});
    DuringCopyOf(FComputer + second, [this] { PressEscape(); });
    Run("actCopyToPsp");
    // A copy starts from the first row, which is done when Esc comes. The
    // number handed to the stopped video is not handed out again.
    EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld), (std::vector<std::string>{"M4V00002.MP4"}));
    EXPECT_EQ(ReadFile(FHandheld + "M4V00002.MP4"), ReadFile(FComputer + Names(*FWindow, TPaneSide::Computer).at(0)));
    EXPECT_FALSE(Exists(FHandheld + "M4V00003.MP4"));
    EXPECT_TRUE(FMessages.empty());
    ExpectIdle();
}

TEST_F(TransfersTest, AnEndingSignalStopsTheBatchAsEscDoesThenClosesTheWindow)
{
    Put(TSampleFiles::Video("A"), FComputer, "a.mp4");
    Put(TSampleFiles::Video("B", 10), FComputer, "b.mp4");
    Start();
    ASSERT_TRUE(FWindow->isVisible());
    Select(TPaneSide::Computer, {0, 1});
    const std::string second = Names(*FWindow, TPaneSide::Computer).at(1);
    DuringCopyOf(FComputer + second, [] { ::raise(SIGTERM); });

    Run("actMoveToPsp");

    EXPECT_TRUE(FMessages.empty());
    EXPECT_TRUE(fs::is_empty(FHandheld));
    EXPECT_TRUE(Exists(FComputer + "a.mp4"));
    EXPECT_TRUE(Exists(FComputer + "b.mp4"));
    EXPECT_FALSE(FWindow->isVisible());
}

TEST_F(TransfersTest, NoDropIsTakenAndNoDragStartsWhileABatchRuns)
{
    Put(TSampleFiles::Video("A", 10), FComputer, "a.mp4");
    const std::string desktop = Path("desktop/");
    fs::create_directories(desktop);
    Put(TSampleFiles::Video("Dropped"), desktop, "dropped.MP4");
    Start();
    Select(TPaneSide::Computer, {0});
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(desktop + "dropped.MP4"))});
    bool dropTaken = true;
    bool dragAllowed = true;
    DuringCopyOf(FComputer + "a.mp4", [&] {
        dropTaken = FWindow->lvDragOver(TPaneSide::Handheld, nullptr, files);
        dragAllowed = FWindow->Pane(TPaneSide::Computer).dragEnabled();
    });

    Run("actCopyToPsp");

    EXPECT_FALSE(dropTaken);
    EXPECT_FALSE(dragAllowed);
    EXPECT_TRUE(FWindow->Pane(TPaneSide::Computer).dragEnabled());
    EXPECT_TRUE(FWindow->lvDragOver(TPaneSide::Handheld, nullptr, files));
}

TEST_F(TransfersTest, AVideoThatCannotBeOpenedEndsTheBatchWithABoxNamingIt)
{
    Put(TSampleFiles::Video("A"), FComputer, "a.mp4");
    Start();
    Select(TPaneSide::Computer, {0});
    fs::remove(FComputer + "a.mp4");  // gone since the scan

    Run("actCopyToPsp");

    ASSERT_EQ(FMessages.size(), 1u);
    EXPECT_EQ(FMessages[0].Kind, TMessageKind::Error);
    EXPECT_NE(FMessages[0].Text.find("cannot open " + FComputer + "a.mp4: No such file or directory"),
              std::string::npos)
        << FMessages[0].Text;
    EXPECT_TRUE(Names(*FWindow, TPaneSide::Handheld).empty());
    ExpectIdle();
}

TEST_F(TransfersTest, HandheldUnpluggedDuringACopyStopsTheBatchAndIsHandledAfterwards)
{
    Put(TSampleFiles::Video("A", 10), FComputer, "a.mp4");
    Start();
    Select(TPaneSide::Computer, {0});
    DuringCopyOf(FComputer + "a.mp4", [this] {
        Unplug(FDrive);
        FWindow->DriveChangeHandler(TDeviceEvent::RemoveComplete);
        // Held back until the batch ends.
        EXPECT_TRUE(FWindow->IsBusy());
    });

    Run("actCopyToPsp");

    EXPECT_FALSE(Exists(FHandheld + "M4V00001.MP4"));
    // The removal, handled once the batch ended: the drive is tried once
    // more and reported gone; no copy error is shown.
    EXPECT_EQ(Texts(FMessages), (std::vector<std::string>{"The current connected device is not PSP device."}));
    EXPECT_TRUE(Names(*FWindow, TPaneSide::Handheld).empty());
    ExpectIdle();
}

// Delete pressed again while a deletion runs asks nothing and takes no
// rows of videos still on the handheld.
TEST_F(TransfersTest, ASecondDeleteDuringADeletionDoesNothing)
{
    for (int number = 1; number <= 3; ++number)
        Put(TSampleFiles::Video("V"), FHandheld, THandheldFolder::VideoName(number));
    Start();
    Run("actPSPFileNameAsc");
    FWindow->Pane(TPaneSide::Handheld).clearSelection();
    Select(TPaneSide::Handheld, {0, 1});
    FAnswers = {TMessageButton::Yes, TMessageButton::Yes};
    bool pressedMidBatch = false;
    // Posted while the question is up, it fires at the deletion's first
    // event-loop turn.
    FWhileBoxIsUp = [&] {
        QTimer::singleShot(0, FWindow.get(), [&] {
            pressedMidBatch = FWindow->IsBusy();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
            QApplication::sendEvent(&FWindow->Pane(TPaneSide::Handheld), &press);
        });
    };

    Run("actDeletePspFile");
    QApplication::processEvents();

    EXPECT_TRUE(pressedMidBatch);
    EXPECT_EQ(FMessages.size(), 1u) << "one question only";
    EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld), (std::vector<std::string>{"M4V00003.MP4"}));
    EXPECT_TRUE(Exists(FHandheld + "M4V00003.MP4"));
    ExpectIdle();
}

TEST_F(TransfersTest, DeletionSelectsTheAnchorRowAndDeletesThumbnailsToo)
{
    for (int number = 1; number <= 5; ++number) {
        Put(TSampleFiles::Video("V"), FHandheld, THandheldFolder::VideoName(number));
        Put(TSampleFiles::RedThumbnail(), FHandheld, ThumbnailPathFor(THandheldFolder::VideoName(number)));
    }
    Start();
    Run("actPSPFileNameAsc");
    FWindow->Pane(TPaneSide::Handheld).clearSelection();
    Select(TPaneSide::Handheld, {1, 3});

    FAnswers = {TMessageButton::No};
    Run("actDeletePspFile");
    EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld).size(), 5u);

    FAnswers = {TMessageButton::Yes};
    Run("actDeletePspFile");

    EXPECT_EQ(Texts(FMessages), (std::vector<std::string>(2, "Are you sure you want to delete the selected file from the PSP list?")));
    EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld),
              (std::vector<std::string>{"M4V00001.MP4", "M4V00003.MP4", "M4V00005.MP4"}));
    EXPECT_EQ(SelectedRows(*FWindow, TPaneSide::Handheld), (std::vector<int>{1}));
    EXPECT_TRUE(FWindow->Pane(TPaneSide::Handheld).hasFocus() || !FWindow->isActiveWindow());
    for (const char* gone : {"M4V00002.MP4", "M4V00002.THM", "M4V00004.MP4", "M4V00004.THM"})
        EXPECT_FALSE(Exists(FHandheld + gone)) << gone;
    EXPECT_EQ(FWindow->BatchProgress().BatchIndex(), 2);
    ExpectIdle();

    // The last two rows: the anchor falls off the end, row 0 is selected.
    FWindow->Pane(TPaneSide::Handheld).clearSelection();
    Select(TPaneSide::Handheld, {1, 2});
    FAnswers = {TMessageButton::Yes};
    Run("actDeletePspFile");
    EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld), (std::vector<std::string>{"M4V00001.MP4"}));
    EXPECT_EQ(SelectedRows(*FWindow, TPaneSide::Handheld), (std::vector<int>{0}));
}

TEST_F(TransfersTest, VideosThatWillNotPlayAreConvertedOnTheWayWhenTheUserSaysYes)
{
    // A phone-like video the handheld will not play, beside one it plays.
    MakeClip(FComputer + "phone.mp4", {"-f", "lavfi", "-i", "testsrc2=s=640x360:r=30:d=1", "-f", "lavfi", "-i",
                                       "sine=duration=1", "-c:v", "libx264", "-preset", "veryfast", "-profile:v",
                                       "high", "-pix_fmt", "yuv420p", "-c:a", "aac"});
    Put(TSampleFiles::Video("Fine"), FComputer, "fine.mp4");
    const std::string question = "1 of these videos will not play on the PSP. Convert them on the way?";
    Start();

    struct TAnswerCase {
        TMessageButton Answer;
        const char* Expected;  // what arrives from phone.mp4
    };
    for (const TAnswerCase answer : {TAnswerCase{TMessageButton::Cancel, "nothing"},
                                     TAnswerCase{TMessageButton::No, "the same bytes"},
                                     TAnswerCase{TMessageButton::Yes, "a converted video"}}) {
        SCOPED_TRACE(answer.Expected);
        const std::vector<std::string> before = Names(*FWindow, TPaneSide::Handheld);
        FMessages.clear();
        FAnswers = {answer.Answer};
        FWindow->Pane(TPaneSide::Computer).SelectOnly(0, 1);

        Run("actCopyToPsp");

        ASSERT_EQ(Texts(FMessages), std::vector<std::string>{question});
        EXPECT_EQ(FMessages[0].Kind, TMessageKind::QuestionWithCancel);
        if (answer.Answer == TMessageButton::Cancel) {
            EXPECT_EQ(Names(*FWindow, TPaneSide::Handheld), before);
            EXPECT_EQ(fs::is_directory(FHandheld) ? std::distance(fs::directory_iterator(FHandheld), {}) : 0, 0);
            continue;
        }
        const TFileInfo phone = ArrivedFrom("phone.mp4");
        const TFileInfo fine = ArrivedFrom("fine.mp4");
        EXPECT_EQ(ReadFile(fine.FullPath), ReadFile(TSampleFiles::Video("Fine")));
        if (answer.Answer == TMessageButton::No) {
            EXPECT_EQ(ReadFile(phone.FullPath), ReadFile(FComputer + "phone.mp4"));
        } else {
            EXPECT_TRUE(media::CheckPlayability(phone.FullPath).Plays());
            EXPECT_EQ(phone.Title, "phone");
            EXPECT_EQ(phone.Size, static_cast<double>(fs::file_size(phone.FullPath)));
            EXPECT_FALSE(phone.NoThumb);
            // The source is untouched by a copy.
            EXPECT_TRUE(Exists(FComputer + "phone.mp4"));
        }
        // Handheld rows are matched by their remembered computer names:
        // clear the pane's earlier arrivals from the next round's view.
        for (const std::string& name : Names(*FWindow, TPaneSide::Handheld))
            fs::remove(FHandheld + name);
        FWindow->Pane(TPaneSide::Handheld).ClearPane();
    }
    ExpectIdle();
}
