// The mount-table parser on fixture text, as the kernel writes it and as
// it must never trip us up.

#include "platform/Drives.h"

#include <gtest/gtest.h>

namespace {

TEST(MountInfoTest, ReadsMountPointTypeAndSourceOfTheKernelsExampleLine)
{
    const auto entries = ParseMountInfo(
        "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].mountPoint, "/mnt2");
    EXPECT_EQ(entries[0].fsType, "ext3");
    EXPECT_EQ(entries[0].source, "/dev/root");
    EXPECT_EQ(entries[0].device, "98:0");
}

TEST(MountInfoTest, TakesAnyNumberOfOptionalFields)
{
    const auto entries = ParseMountInfo("26 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
                                        "90 26 8:17 / /media/a rw shared:7 master:2 propagate_from:3 - vfat /dev/sdb1 rw\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].mountPoint, "/");
    EXPECT_EQ(entries[1].mountPoint, "/media/a");
    EXPECT_EQ(entries[1].fsType, "vfat");
    EXPECT_EQ(entries[1].source, "/dev/sdb1");
}

TEST(MountInfoTest, DecodesEveryOctalEscapeInEveryField)
{
    const auto entries = ParseMountInfo(
        "90 26 8:17 / /media/my\\040disk\\011tab\\012line\\134back rw - fuse\\040x my\\040source rw\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].mountPoint, "/media/my disk\ttab\nline\\back");
    EXPECT_EQ(entries[0].fsType, "fuse x");
    EXPECT_EQ(entries[0].source, "my source");
}

TEST(MountInfoTest, DecodesNonAsciiEscapes)
{
    const auto entries = ParseMountInfo("90 26 8:17 / /media/caf\\303\\251 rw - vfat /dev/sdb1 rw\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].mountPoint, "/media/caf\xC3\xA9");
}

TEST(MountInfoTest, KeepsBackslashesThatStartNoEscape)
{
    const auto entries = ParseMountInfo("90 26 8:17 / /media/a\\9b\\04\\477\\ rw - vfat /dev/sdb1 rw\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].mountPoint, "/media/a\\9b\\04\\477\\");
}

TEST(MountInfoTest, ReadsTheLastLineWithoutNewline)
{
    const auto entries = ParseMountInfo("26 1 254:0 / / rw - ext4 /dev/vda rw\n"
                                        "90 26 8:17 / /media/a rw - vfat /dev/sdb1 rw");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].mountPoint, "/media/a");
}

TEST(MountInfoTest, AcceptsALineWithoutSuperOptions)
{
    const auto entries = ParseMountInfo("90 26 8:17 / /media/a rw - vfat /dev/sdb1\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].source, "/dev/sdb1");
}

// Each broken line sits between two good ones: it is skipped, and the
// lines after it are still read.
class BrokenMountLineTest : public testing::TestWithParam<const char*> {};

TEST_P(BrokenMountLineTest, IsSkippedAndTheNextLineIsRead)
{
    const std::string text = std::string("26 1 254:0 / / rw - ext4 /dev/vda rw\n") + GetParam()
                             + "\n90 26 8:17 / /media/a rw - vfat /dev/sdb1 rw\n";
    const auto entries = ParseMountInfo(text);
    ASSERT_EQ(entries.size(), 2u) << GetParam();
    EXPECT_EQ(entries[0].mountPoint, "/");
    EXPECT_EQ(entries[1].mountPoint, "/media/a");
}

INSTANTIATE_TEST_SUITE_P(Fixtures, BrokenMountLineTest,
                         testing::Values("", " ", "x", "-", "26", "26 1 254:0 / /",
                                         "26 1 254:0 / /media/b rw",           // no separator
                                         "26 1 254:0 / /media/b rw -",         // nothing after it
                                         "26 1 254:0 / /media/b rw - vfat",    // no source
                                         "26 1 254:0 / /media/b - vfat /dev/sdc1 rw",  // no options field
                                         "a 1 254:0 / /media/b rw - vfat /dev/sdc1 rw",
                                         "26 b 254:0 / /media/b rw - vfat /dev/sdc1 rw",
                                         "26 1 254 / /media/b rw - vfat /dev/sdc1 rw",
                                         "26 1 254:0 / media/b rw - vfat /dev/sdc1 rw",
                                         "\r", "\t\t\t"));

TEST(MountInfoTest, EmptyTextGivesNoEntries)
{
    EXPECT_TRUE(ParseMountInfo("").empty());
    EXPECT_TRUE(ParseMountInfo("\n\n\n").empty());
}

} // namespace
