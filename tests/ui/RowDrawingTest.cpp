// Rows as they reach the screen: a pane is loaded for real, a row is
// rendered from the view and its pixels are read back.

#include "UiFixture.h"

#include "ui/RowDelegate.h"

#include "tests/common/MakeMedia.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <filesystem>

#include <QImage>
#include <QItemSelectionModel>

namespace {

// The fill of a selected row, a soft blue-grey.
const QColor kSelectedFill{177, 185, 207};

class RowDrawingTest : public TUiTest {
protected:
    // Loads a computer folder holding `files` (name -> source file).
    void Load(const std::vector<std::pair<std::string, std::string>>& files)
    {
        const std::string folder = MakeFolder("videos");
        for (const auto& [name, source] : files)
            Put(source, folder, name);
        FWindow = StartWindow(folder);
    }

    TPaneView& Pane() { return FWindow->Pane(TPaneSide::Computer); }

    int RowOf(const std::string& name)
    {
        const std::vector<std::string> names = Names(*FWindow, TPaneSide::Computer);
        const auto found = std::find(names.begin(), names.end(), name);
        if (found == names.end())
            throw std::runtime_error("no row " + name);
        return static_cast<int>(found - names.begin());
    }

    void Select(int row)
    {
        Pane().selectionModel()->select(Pane().model()->index(row, 0), QItemSelectionModel::Select);
    }

    // The row as the view paints it, in row coordinates, once the pane
    // has taken the turn in which it decodes the pictures it was asked
    // for while painting.
    QImage Render(int row)
    {
        FRowRect = Pane().visualRect(Pane().model()->index(row, 0));
        (void)Pane().viewport()->grab(FRowRect);
        QApplication::processEvents();
        return Pane().viewport()->grab(FRowRect).toImage().convertToFormat(QImage::Format_RGB32);
    }

    TRowLayout Layout()
    {
        return RowLayout(QRect(QPoint(0, 0), FRowRect.size()), TextHeight(Pane().font()), true);
    }

    // Pixels of `image` inside `area` that are mostly red.
    static int RedPixels(const QImage& image, const QRect& area)
    {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.red() > 180 && pixel.green() < 90 && pixel.blue() < 90)
                    ++count;
            }
        }
        return count;
    }

    QColor ThumbnailCentre(const QImage& image)
    {
        const TRowLayout layout = Layout();
        return image.pixelColor(layout.Thumbnail + QPoint(TThumbnail::Width / 2, TThumbnail::Height / 2));
    }

    // Pixels of the will-not-play mark's colour inside `area`.
    static int MarkPixels(const QImage& image, const QRect& area)
    {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (std::abs(pixel.red() - kWillNotPlayColour.red()) < 24 &&
                    std::abs(pixel.green() - kWillNotPlayColour.green()) < 24 && pixel.blue() < 40)
                    ++count;
            }
        }
        return count;
    }

    // Lets the worker settle every row's verdict and the view repaint.
    void WaitForVerdicts()
    {
        QElapsedTimer waited;
        waited.start();
        auto settled = [&] {
            for (int row = 0; row < Pane().Pane().RowCount(); ++row) {
                if (!Pane().Pane().Row(row).Playability->Known())
                    return false;
            }
            return true;
        };
        while (!settled() && waited.elapsed() < 30'000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        QApplication::processEvents();
        ASSERT_TRUE(settled());
    }

    std::unique_ptr<TfrmVantrel> FWindow;
    QRect FRowRect;
};

TEST(RowLayoutTest, PlacesThumbnailAndLinesAndRoundsHalvesToEven)
{
    const TRowLayout layout = RowLayout(QRect(0, 100, 272, 64), 13, true);
    EXPECT_EQ(layout.SelectionBox, QRect(QPoint(1, 100), QPoint(270, 163)));
    EXPECT_EQ(layout.Thumbnail, QPoint(3, 102));
    EXPECT_EQ(layout.TextLeft, 81);
    EXPECT_EQ(layout.TitleTop, 103);
    EXPECT_EQ(layout.NameTop, 119);
    EXPECT_EQ(layout.DetailsTop, 135);

    EXPECT_EQ(RowLayout(QRect(0, 0, 272, 61), 13, true).Thumbnail.y(), 0);  // 0.5 goes to 0
    EXPECT_EQ(RowLayout(QRect(0, 0, 272, 63), 13, true).Thumbnail.y(), 2);  // 1.5 goes to 2
    EXPECT_EQ(RowLayout(QRect(0, 0, 272, 64), 13, false).TextLeft, 3);
}

TEST_F(RowDrawingTest, SelectedRowShowsTheSelectionBoxWithItsOutline)
{
    Load({{"red.MP4", TSampleFiles::Video("Red")}, {"red.THM", TSampleFiles::RedThumbnail()}});
    Select(0);

    const QImage row = Render(0);

    EXPECT_EQ(FRowRect.width(), Pane().viewport()->width()) << "a row spans the pane";
    const QColor highlight = Pane().palette().color(QPalette::Highlight);
    const int middle = row.height() / 2;
    EXPECT_EQ(row.pixelColor(0, middle), Pane().palette().color(QPalette::Base));
    EXPECT_EQ(row.pixelColor(1, middle), highlight);
    EXPECT_EQ(row.pixelColor(1, 0), highlight);
    EXPECT_EQ(row.pixelColor(row.width() - 2, middle), highlight);
    EXPECT_EQ(row.pixelColor(row.width() - 4, row.height() - 3), kSelectedFill);
    EXPECT_EQ(row.pixelColor(2, middle), kSelectedFill);

    const QColor thumbnail = ThumbnailCentre(row);
    EXPECT_GT(thumbnail.red(), 230);
    EXPECT_LT(thumbnail.green(), 30);
    EXPECT_LT(thumbnail.blue(), 30);
}

TEST_F(RowDrawingTest, UnselectedRowIsTheWindowColour)
{
    Load({{"plain.MP4", TSampleFiles::Video("Plain")}});

    const QImage row = Render(0);

    const QColor base = Pane().palette().color(QPalette::Base);
    EXPECT_EQ(row.pixelColor(1, row.height() / 2), base);
    EXPECT_EQ(row.pixelColor(row.width() - 4, row.height() - 3), base);
}

TEST_F(RowDrawingTest, VideoWithoutThumbnailShowsTheBlackPlaceholder)
{
    Load({{"bare.MP4", TSampleFiles::Video("Bare")}});
    Select(0);

    const QImage row = Render(0);

    EXPECT_EQ(ThumbnailCentre(row), QColor(0, 0, 0));
    EXPECT_EQ(Pane().Pane().PictureOf(0), nullptr);
}

TEST_F(RowDrawingTest, WhiteThumbnailPixelsShowTheRowBackground)
{
    Load({{"white.MP4", TSampleFiles::Video("White")}, {"white.THM", TSampleFiles::WhiteThumbnail()}});
    ASSERT_NE(Pane().Pane().PictureOf(0), nullptr);

    EXPECT_EQ(ThumbnailCentre(Render(0)), Pane().palette().color(QPalette::Base));
    Select(0);
    EXPECT_EQ(ThumbnailCentre(Render(0)), kSelectedFill);
}

TEST_F(RowDrawingTest, UnreadableTitleShowsTheRedLineAndBlackDetails)
{
    const std::string folder = MakeFolder("videos");
    Write(folder, "broken.MP4", "this is no video at all");
    Put(TSampleFiles::Video("Fine"), folder, "fine.MP4");
    FWindow = StartWindow(folder);

    const QImage broken = Render(RowOf("broken.MP4"));
    const TRowLayout layout = Layout();
    const int h = TextHeight(Pane().font());
    const QRect titleLine(layout.TextLeft, layout.TitleTop, broken.width() - layout.TextLeft, h);
    const QRect nameLine(layout.TextLeft, layout.NameTop, broken.width() - layout.TextLeft, h);
    const QRect detailsLine(layout.TextLeft, layout.DetailsTop, broken.width() - layout.TextLeft, h);
    EXPECT_GT(RedPixels(broken, titleLine), 20);
    EXPECT_EQ(RedPixels(broken, nameLine), 0);
    EXPECT_EQ(RedPixels(broken, detailsLine), 0);

    const QImage fine = Render(RowOf("fine.MP4"));
    EXPECT_EQ(RedPixels(fine, titleLine), 0);
}

TEST_F(RowDrawingTest, AVideoThatWillNotPlayHasAMarkAfterItsNameAndItsReasonsInTheTooltip)
{
    const std::string folder = MakeFolder("videos");
    Put(TSampleFiles::Video("Fine"), folder, "fine.MP4");
    MakeClip(folder + "/phone.MP4", {"-f", "lavfi", "-i", "testsrc2=s=640x360:r=25:d=0.2", "-c:v", "libx264",
                                     "-preset", "veryfast", "-pix_fmt", "yuv420p", "-profile:v", "high"});
    FWindow = StartWindow(folder);
    WaitForVerdicts();

    for (const char* name : {"fine.MP4", "phone.MP4"}) {
        SCOPED_TRACE(name);
        const int row = RowOf(name);
        const QImage image = Render(row);
        const TRowLayout layout = Layout();
        const QRect mark = PlayMarkRect(layout.TextLeft, layout.NameTop, Pane().font(),
                                        QString::fromLatin1(kNameLabel) + QString::fromLatin1(name));
        const QVariant tip = Pane().model()->data(Pane().model()->index(row, 0), Qt::ToolTipRole);
        if (std::string(name) == "fine.MP4") {
            EXPECT_EQ(MarkPixels(image, mark), 0);
            EXPECT_FALSE(tip.isValid());
            continue;
        }
        EXPECT_GT(MarkPixels(image, mark), mark.width() * mark.height() / 3);
        EXPECT_EQ(tip.toString(), QStringLiteral("Will not play on the PSP:\n"
                                                 "video is H.264 High profile; the handheld plays Baseline and Main\n"
                                                 "picture is 640 x 360; the handheld shows at most 480 x 272 (720 x "
                                                 "480 for H.264 Main up to level 3.0)"));
    }
}

TEST_F(RowDrawingTest, ScrolledToTheEndOfALongPaneRowsShowTheirPicturesWithinBoundedMemory)
{
    // Many rows, one video and one picture linked under every name.
    const std::string folder = MakeFolder("many");
    Put(TSampleFiles::Video("Many"), folder, "v0000.MP4");
    Put(TSampleFiles::RedThumbnail(), folder, "v0000.THM");
    const int rows = TPaneModel::kKeptPictures * 5 / 2;
    for (int n = 1; n < rows; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "v%04d", n);
        std::filesystem::create_hard_link(folder + "/v0000.MP4", folder + "/" + name + ".MP4");
        std::filesystem::create_hard_link(folder + "/v0000.THM", folder + "/" + name + ".THM");
    }
    FWindow = StartWindow(folder);
    ASSERT_EQ(Pane().Pane().RowCount(), rows);
    EXPECT_LT(Pane().Pane().PictureCount(), 50) << "pictures are decoded as rows are shown, not at load";
    const auto describedRows = [this] {
        int described = 0;
        for (int row = 0; row < Pane().Pane().RowCount(); ++row)
            described += Pane().Pane().Row(row).Info->FileInfo.Listing == nullptr ? 1 : 0;
        return described;
    };
    EXPECT_LT(describedRows(), 50) << "a load reads the files of the rows shown, not of every row";

    // A reload tells the view of its rows in one insertion.
    std::vector<std::pair<int, int>> insertions;
    QObject::connect(Pane().model(), &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int last) { insertions.emplace_back(first, last); });
    FWindow->actRefreshExecute();
    EXPECT_EQ(insertions, (std::vector<std::pair<int, int>>{{0, rows - 1}}));

    // Page by page to the end, as a user scrolls.
    for (int row = 0; row < rows; row += 7) {
        Pane().scrollTo(Pane().model()->index(row, 0));
        (void)Render(row);
    }
    Pane().scrollToBottom();
    const QColor last = ThumbnailCentre(Render(rows - 1));
    EXPECT_GT(last.red(), 230);
    EXPECT_LT(last.green(), 30);
    EXPECT_LE(Pane().Pane().PictureCount(), TPaneModel::kKeptPictures);
    EXPECT_EQ(Pane().Pane().Row(rows - 1).Info->FileInfo.Title, "Many");
    // The check goes through the rows a slice at a time: it reaches all.
    WaitForVerdicts();
}

TEST_F(RowDrawingTest, LongNamesAreNotShortened)
{
    const std::string longName(60, 'W');
    Load({{longName + ".MP4", TSampleFiles::Video("Long")}});

    const QImage row = Render(0);
    const TRowLayout layout = Layout();
    const int h = TextHeight(Pane().font());

    // The name runs on to the pane's edge: its last text columns are ink.
    bool inkAtEdge = false;
    for (int y = layout.NameTop; y < layout.NameTop + h; ++y) {
        for (int x = row.width() - 10; x < row.width() - 2; ++x)
            inkAtEdge = inkAtEdge || row.pixelColor(x, y).lightness() < 128;
    }
    EXPECT_TRUE(inkAtEdge);
}

} // namespace
