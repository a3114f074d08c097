// The shared comparison and the size texts of the rows.

#include "catalogue/Sorting.h"
#include "catalogue/uClass.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace {

TFileInfo record(std::string title, std::string name = "", double size = 0, std::string time = "")
{
    TFileInfo info;
    info.Title = std::move(title);
    info.FileName = std::move(name);
    info.Size = size;
    info.WriteTime = std::move(time);
    return info;
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

int compare(const TFileInfo& a, const TFileInfo& b, TSortKey key, bool descending = false)
{
    return sign(lvPspCompare(a, b, TSortState{key, descending}));
}

// The size texts in a locale the test chooses; the one the test program
// was started in is put back afterwards.
class SizeText : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(FStarted); }

private:
    QLocale FStarted;
};

} // namespace

TEST_F(SizeText, TextsOfTheRows)
{
    EXPECT_EQ(FormatSize(0), "0.00B");
    EXPECT_EQ(FormatSize(1018), "1018.00B");
    EXPECT_EQ(FormatSize(1019), "1.00KB");
    EXPECT_EQ(FormatSize(3200), "3.12KB");  // 312.5 hundredths go to the even 312
    EXPECT_EQ(FormatSize(3456), "3.38KB");  // 337.5 hundredths go to the even 338
    EXPECT_EQ(FormatSize(5000), "4.88KB");
    EXPECT_EQ(FormatSize(1048576), "1.00MB");
    EXPECT_EQ(FormatSize(700.0 * 1048576), "700.00MB");
}

TEST_F(SizeText, MegabytesStartWhereTheirHundredthsRoundToOneHundred)
{
    EXPECT_EQ(FormatSize(1043334), "1.00MB");
    EXPECT_EQ(FormatSize(1043333), "1018.88KB");
}

TEST_F(SizeText, SizesPastFourGigabytesKeepTheirValue)
{
    EXPECT_EQ(FormatSize(5.0 * 1024 * 1048576), "5120.00MB");
    EXPECT_EQ(FormatSize(4294967296.0 + 1048576.0 * 1.5), "4097.50MB");
}

TEST_F(SizeText, SmallSizesRoundTheirHundredthsToEven)
{
    // 1 byte: hundredths of a KB are 0.0977, so bytes are used.
    EXPECT_EQ(FormatSize(1), "1.00B");
    EXPECT_EQ(FormatSize(0.125), "0.12B");  // 12.5 -> 12
    EXPECT_EQ(FormatSize(0.375), "0.38B");  // 37.5 -> 38
}

TEST(LvPspCompare, TextsCompareByteByByteCaseFirst)
{
    EXPECT_LT(compare(record("Zoo"), record("apple"), TSortKey::skTitle), 0);
    EXPECT_LT(compare(record(""), record("A"), TSortKey::skTitle), 0);
    EXPECT_LT(compare(record("Ab"), record("Abc"), TSortKey::skTitle), 0);
    EXPECT_EQ(compare(record("same"), record("same"), TSortKey::skTitle), 0);
    // Bytes above 0x7F are unsigned: an accented UTF-8 title sorts after 'z'.
    EXPECT_GT(compare(record("\xC3\xA9t\xC3\xA9"), record("zebra"), TSortKey::skTitle), 0);
}

TEST(LvPspCompare, EachKeyReadsItsOwnField)
{
    const TFileInfo a = record("b", "a.mp4", 10, "2006/01/31,14:05:09");
    const TFileInfo b = record("a", "b.mp4", 20, "2006/01/31,14:05:10");
    EXPECT_GT(compare(a, b, TSortKey::skTitle), 0);
    EXPECT_LT(compare(a, b, TSortKey::skFileName), 0);
    EXPECT_LT(compare(a, b, TSortKey::skSize), 0);
    EXPECT_LT(compare(a, b, TSortKey::skWriteTime), 0);
    EXPECT_EQ(compare(a, b, TSortKey::skNone), 0);
}

TEST(LvPspCompare, DescendingSwapsTheRows)
{
    const TFileInfo small = record("", "", 5);
    const TFileInfo large = record("", "", 4294967296.0 * 2);
    EXPECT_LT(compare(small, large, TSortKey::skSize), 0);
    EXPECT_GT(compare(small, large, TSortKey::skSize, true), 0);
    EXPECT_EQ(compare(record("", "", 7), record("", "", 7), TSortKey::skSize, true), 0);
    EXPECT_EQ(compare(record("x"), record("y"), TSortKey::skNone, true), 0);
}

TEST_F(SizeText, DecimalSeparatorIsTheUsers)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatSize(0), "0,00B");
    EXPECT_EQ(FormatSize(3200), "3,12KB");
    EXPECT_EQ(FormatSize(5.0 * 1024 * 1048576), "5120,00MB") << "no grouping";
    EXPECT_EQ(FormatHundredths(-1234567), "-12345,67");

    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(FormatSize(1048576), "1.00MB");
}
