// The handheld space display: its texts and its warning colour.

#include "UiFixture.h"

#include "ui/Look.h"
#include "ui/SpaceText.h"

#include <sys/statvfs.h>

#include <QLocale>
#include <QRegularExpression>

#include <filesystem>
#include <fstream>

namespace {

// The space line's colours as the user sees them.
const QColor kBlack{0, 0, 0};
const QColor kRed{255, 0, 0};

// The texts in a locale the test chooses; the one the test program was
// started in is put back afterwards.
class SpaceTextTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(FStarted); }

private:
    QLocale FStarted;
};

TEST_F(SpaceTextTest, ShowsMebibytesWithTwoDecimalsRoundedHalfToEven)
{
    EXPECT_EQ(FormatDiskSpace(1048576, 2097152), "Free/Total: 1.00/2.00 M");
    EXPECT_EQ(FormatDiskSpace(0, 2097152), "Free/Total: 0.00/2.00 M");
    // 655360 bytes are 62.5 hundredths: the even neighbour 62.
    EXPECT_EQ(FormatDiskSpace(655360, 393216), "Free/Total: 0.62/0.38 M");
    EXPECT_EQ(FormatDiskSpace(32.0 * 1024 * 1048576, 64.0 * 1024 * 1048576), "Free/Total: 32768.00/65536.00 M");
}

TEST_F(SpaceTextTest, DecimalSeparatorIsTheUsers)
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(FormatDiskSpace(1048576, 2097152), "Free/Total: 1,00/2,00 M");
    EXPECT_EQ(FormatDiskSpace(655360, 32.0 * 1024 * 1048576), "Free/Total: 0,62/32768,00 M") << "no grouping";
}

TEST_F(SpaceTextTest, WarnsOnlyForSelectedRowsThatDoNotFit)
{
    EXPECT_FALSE(SpaceWarning(0, 0, 0, 100)) << "nothing selected, full drive";
    EXPECT_FALSE(SpaceWarning(0, 0, -1, -1)) << "nothing selected, no drive";
    EXPECT_TRUE(SpaceWarning(1, 10, -1, -1)) << "selected, no drive";
    EXPECT_TRUE(SpaceWarning(1, 10, 0, 100)) << "selected, no free byte";
    EXPECT_FALSE(SpaceWarning(2, 100, 100, 1000)) << "exactly the free bytes fit";
    EXPECT_TRUE(SpaceWarning(2, 101, 100, 1000));
}

class SpaceTest : public TUiTest {
protected:
    QColor TextColour(TfrmVantrel& window)
    {
        return Control<QLabel>(window, "spDiskSize").palette().color(QPalette::WindowText);
    }
};

TEST_F(SpaceTest, ShownDriveReportsItsSpace)
{
    const std::string handheld = MakeHandheld("handheld");
    Plug(handheld);

    auto window = StartWindow();

    struct statvfs facts {};
    ASSERT_EQ(::statvfs(handheld.c_str(), &facts), 0);
    const QString text = Control<QLabel>(*window, "spDiskSize").text();
    const QRegularExpression pattern(QStringLiteral(R"(^Free/Total: \d+\.\d\d/(\d+\.\d\d) M$)"));
    const QRegularExpressionMatch match = pattern.match(text);
    ASSERT_TRUE(match.hasMatch()) << text.toStdString();
    const double total = static_cast<double>(facts.f_blocks) * static_cast<double>(facts.f_frsize);
    // The total does not move while the test runs (the free space may).
    EXPECT_EQ("Free/Total: 0.00/" + match.captured(1).toStdString() + " M", FormatDiskSpace(0, total));
    EXPECT_DOUBLE_EQ(window->TotalBytes(), total);
    EXPECT_EQ(TextColour(*window), kBlack);
}

TEST_F(SpaceTest, ShownDriveReportsItsSpaceWithTheUsersDecimalSeparator)
{
    const std::string handheld = MakeHandheld("handheld");
    Plug(handheld);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    auto window = StartWindow();

    const QString text = Control<QLabel>(*window, "spDiskSize").text();
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^Free/Total: \d+,\d\d/\d+,\d\d M$)")).match(text).hasMatch())
        << text.toStdString();
}

TEST_F(SpaceTest, SelectedVideosLargerThanTheFreeSpaceTurnTheTextRed)
{
    const std::string handheld = MakeHandheld("handheld");
    Plug(handheld);
    const std::string computer = MakeFolder("computer");
    Put(TSampleFiles::Video("Small"), computer, "small.MP4");
    // A sparse file far larger than the free space, with no disk used.
    {
        std::ofstream(std::filesystem::path(computer) / "huge.MP4");
    }
    std::filesystem::resize_file(std::filesystem::path(computer) / "huge.MP4", 8ull << 40);
    auto window = StartWindow(computer);
    TPaneView& pane = window->Pane(TPaneSide::Computer);
    const std::vector<std::string> names = Names(*window, TPaneSide::Computer);
    const int small = static_cast<int>(std::find(names.begin(), names.end(), "small.MP4") - names.begin());

    pane.SelectRow(small);
    window->ShowDiskSpace();
    EXPECT_EQ(TextColour(*window), kBlack);

    pane.SelectRow(1 - small);
    window->ShowDiskSpace();
    EXPECT_EQ(TextColour(*window), kRed);

    pane.clearSelection();
    window->UpdateSpaceWarning();
    EXPECT_EQ(TextColour(*window), kBlack);
}

TEST_F(SpaceTest, UnavailableDriveSaysSoAndWarnsWhenRowsAreSelected)
{
    const std::string handheld = MakeHandheld("handheld");
    Put(TSampleFiles::Video("On it"), handheld + "/MP_ROOT/100MNV01", "M4V00001.MP4");
    Plug(handheld);
    const std::string computer = MakeFolder("computer");
    Put(TSampleFiles::Video("Small"), computer, "small.MP4");
    auto window = StartWindow(computer);
    ASSERT_EQ(window->Pane(TPaneSide::Handheld).Pane().RowCount(), 1);

    std::filesystem::rename(handheld, handheld + ".gone");
    window->Pane(TPaneSide::Computer).SelectRow(0);
    window->ShowDiskSpace();

    EXPECT_EQ(Control<QLabel>(*window, "spDiskSize").text(), QStringLiteral("The device is not available."));
    EXPECT_EQ(window->Pane(TPaneSide::Handheld).Pane().RowCount(), 0);
    EXPECT_EQ(window->TotalBytes(), -1);
    EXPECT_EQ(TextColour(*window), kRed);
}

} // namespace
