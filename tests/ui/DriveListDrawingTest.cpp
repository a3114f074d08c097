// The drive list as it reaches the screen: every entry of its popup, and
// the box itself, readable whether selected, greyed or not.

#include "UiFixture.h"

#include <QAbstractItemView>
#include <QImage>
#include <QStandardItemModel>

#include <cstdlib>
#include <map>

namespace {

// Pixels of `area` that stand out from its most common colour by a grey
// level of 64 or more: the strokes of its text.
int InkPixels(const QImage& image, const QRect& area)
{
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = -1;
    for (const auto& [colour, count] : counts) {
        if (count > most) {
            most = count;
            background = colour;
        }
    }
    int ink = 0;
    for (const auto& [colour, count] : counts) {
        if (std::abs(qGray(colour) - qGray(background)) >= 64)
            ink += count;
    }
    return ink;
}

// Enough pixels for a few letters.
constexpr int kReadable = 40;

class DriveListDrawingTest : public TUiTest {
protected:
    void SetUp() override
    {
        TUiTest::SetUp();
        for (const char* name : {"E", "G"})
            Plug(MakeHandheld(name));
        Plug(MakeFixedDisk("fixed"));
        FWindow = StartWindow();
    }
    void TearDown() override
    {
        FWindow.reset();
        TUiTest::TearDown();
    }

    TDriveBox& Drives() { return Control<TDriveBox>(*FWindow, "cbDriver"); }

    // The popup with entry `current` under the pointer (selected), and
    // the text inside each entry's rectangle, away from its edges.
    struct TPopupPicture {
        QImage Image;
        std::vector<QRect> TextAreas;
    };
    TPopupPicture OpenPopup(int current)
    {
        TDriveBox& drives = Drives();
        drives.showPopup();
        QAbstractItemView* view = drives.view();
        view->setCurrentIndex(view->model()->index(current, 0));
        QCoreApplication::processEvents();
        TPopupPicture picture{view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32), {}};
        for (int entry = 0; entry < drives.count(); ++entry)
            picture.TextAreas.push_back(
                view->visualRect(view->model()->index(entry, 0)).adjusted(3, 3, -3, -3) & picture.Image.rect());
        drives.hidePopup();
        return picture;
    }

    // The closed box's text area, left of the arrow button.
    int BoxInk()
    {
        TDriveBox& drives = Drives();
        const QImage image = drives.grab().toImage().convertToFormat(QImage::Format_RGB32);
        return InkPixels(image, QRect(3, 3, drives.width() - 40, drives.height() - 6));
    }

    std::unique_ptr<TfrmVantrel> FWindow;
};

TEST_F(DriveListDrawingTest, EveryEntryOfThePopupIsReadableSelectedOrNot)
{
    ASSERT_EQ(Drives().count(), 4);
    for (int current = 0; current < Drives().count(); ++current) {
        const TPopupPicture popup = OpenPopup(current);
        for (int entry = 0; entry < Drives().count(); ++entry) {
            EXPECT_GE(InkPixels(popup.Image, popup.TextAreas[entry]), kReadable)
                << "entry " << entry << (entry == current ? " (selected)" : "");
        }
    }
}

TEST_F(DriveListDrawingTest, GreyedEntriesAreReadableSelectedOrNot)
{
    auto* entries = qobject_cast<QStandardItemModel*>(Drives().model());
    ASSERT_NE(entries, nullptr);
    entries->item(1)->setEnabled(false);

    const TPopupPicture other = OpenPopup(0);
    EXPECT_GE(InkPixels(other.Image, other.TextAreas[1]), kReadable);
    const TPopupPicture itself = OpenPopup(1);
    EXPECT_GE(InkPixels(itself.Image, itself.TextAreas[1]), kReadable);
}

TEST_F(DriveListDrawingTest, TheBoxShowsItsDriveGreyedOrNot)
{
    EXPECT_GE(BoxInk(), kReadable);
    Drives().setEnabled(false);
    EXPECT_GE(BoxInk(), kReadable) << "greyed during a transfer";
}

TEST_F(DriveListDrawingTest, TheBoxNamesAVanishedDrive)
{
    const std::string shown = Drives().Drive();
    ASSERT_FALSE(shown.empty());
    Unplug(shown);
    Drives().Rebuild();
    ASSERT_EQ(Drives().currentIndex(), -1);
    EXPECT_GE(BoxInk(), kReadable);
}

} // namespace
