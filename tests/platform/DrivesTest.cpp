// The drive list, the removable test and the space query over a mount
// table and a sysfs tree of the test's own.

#include "platform/Drives.h"
#include "tests/platform/SimulatedSystem.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

namespace {

std::vector<std::string> MountPointsOf(const std::vector<DriveInfo>& drives)
{
    std::vector<std::string> points;
    for (const DriveInfo& drive : drives)
        points.push_back(drive.mountPoint);
    return points;
}

class DrivesTest : public testing::Test {
protected:
    // A folder that plays the handheld's mount point.
    std::string Handheld(const std::string& name = "handheld") const
    {
        const std::string path = system.PathOf(name);
        std::filesystem::create_directories(path);
        return path;
    }

    SimulatedSystem system;
};

TEST_F(DrivesTest, LeavesPseudoAndSystemFileSystemsOut)
{
    system.WriteMountTable(SimulatedSystem::MountLine(21, "/proc", "proc", "proc")
                           + SimulatedSystem::MountLine(22, "/sys", "sysfs", "sysfs")
                           + SimulatedSystem::MountLine(23, "/dev", "devtmpfs", "udev")
                           + SimulatedSystem::MountLine(24, "/", "ext4", "/dev/vda")
                           + SimulatedSystem::MountLine(25, "/dev/shm", "tmpfs", "tmpfs")
                           + SimulatedSystem::MountLine(26, "/dev/pts", "devpts", "devpts")
                           + SimulatedSystem::MountLine(27, "/sys/fs/cgroup", "cgroup2", "cgroup2")
                           + SimulatedSystem::MountLine(28, "/run", "tmpfs", "tmpfs")
                           + SimulatedSystem::MountLine(29, "/run/user/1000", "tmpfs", "tmpfs")
                           + SimulatedSystem::MountLine(30, "/proc/sys/fs/binfmt_misc", "autofs", "systemd-1")
                           + SimulatedSystem::MountLine(31, "/home", "ext4", "/dev/vda2")
                           + SimulatedSystem::MountLine(32, "/mnt/misc", "autofs", "auto.misc")
                           + SimulatedSystem::MountLine(33, "/mnt/huge", "hugetlbfs", "hugetlbfs")
                           + SimulatedSystem::MountLine(34, "/mnt/ns", "nsfs", "nsfs")
                           + SimulatedSystem::MountLine(35, "/mnt/trace", "tracefs", "tracefs")
                           + SimulatedSystem::MountLine(36, "/tmp", "tmpfs", "tmpfs")
                           + SimulatedSystem::MountLine(37, "/media/stick", "vfat", "/dev/sdz1"));
    EXPECT_EQ(MountPointsOf(ListDrives()), (std::vector<std::string>{"/", "/home", "/tmp", "/media/stick"}));
}

// Fedora, Arch and openSUSE mount removable media under /run/media/USER/.
TEST_F(DrivesTest, MediaUnderRunMediaAreListedAndTheRestOfRunIsNot)
{
    system.AddDisk("sdn", true, "sdn1");
    system.WriteMountTable(SimulatedSystem::MountLine(28, "/run", "tmpfs", "tmpfs")
                           + SimulatedSystem::MountLine(29, "/run/user/1000", "tmpfs", "tmpfs")
                           + SimulatedSystem::MountLine(30, "/run/media", "tmpfs", "tmpfs")
                           + SimulatedSystem::MountLine(31, "/run/mediaplayer", "ext4", "/dev/vdb")
                           + SimulatedSystem::MountLine(90, "/run/media/ann/PSP", "vfat", "/dev/sdn1"));
    EXPECT_EQ(MountPointsOf(ListDrives()), (std::vector<std::string>{"/run/media/ann/PSP"}));
    EXPECT_TRUE(IsRemovableDrive("/run/media/ann/PSP"));
}

TEST_F(DrivesTest, FoldersThatOnlyStartLikeSystemTreesAreKept)
{
    system.WriteMountTable(SimulatedSystem::MountLine(40, "/runner", "ext4", "/dev/vdb")
                           + SimulatedSystem::MountLine(41, "/devices", "ext4", "/dev/vdc")
                           + SimulatedSystem::MountLine(42, "/system", "ext4", "/dev/vdd"));
    EXPECT_EQ(MountPointsOf(ListDrives()), (std::vector<std::string>{"/runner", "/devices", "/system"}));
}

TEST_F(DrivesTest, RemovablePartitionShowsItsMountPointAlone)
{
    system.AddDisk("sdn", true, "sdn1");
    system.AddDisk("vda", false);
    const std::string handheld = Handheld();
    system.WriteMountTable(SimulatedSystem::MountLine(24, "/", "ext4", "/dev/vda")
                           + SimulatedSystem::MountLine(90, handheld, "vfat", "/dev/sdn1"));
    const auto drives = ListDrives();
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_FALSE(drives[0].removable);
    EXPECT_EQ(drives[0].displayText, "/ (ext4)");
    EXPECT_TRUE(drives[1].removable);
    EXPECT_EQ(drives[1].mountPoint, handheld);
    EXPECT_EQ(drives[1].displayText, handheld);
    EXPECT_TRUE(IsRemovableDrive(handheld));
    EXPECT_FALSE(IsRemovableDrive("/"));
}

TEST_F(DrivesTest, RemovableWholeDiskWithoutPartitionsIsRemovable)
{
    system.AddDisk("sdm", true);
    const std::string handheld = Handheld();
    system.WriteMountTable(SimulatedSystem::MountLine(90, handheld, "vfat", "/dev/sdm"));
    EXPECT_TRUE(IsRemovableDrive(handheld));
}

TEST_F(DrivesTest, PartitionOfAFixedDiskIsNotRemovable)
{
    system.AddDisk("sdc", false, "sdc1");
    const std::string disk = Handheld("disk");
    system.WriteMountTable(SimulatedSystem::MountLine(90, disk, "ext4", "/dev/sdc1"));
    EXPECT_FALSE(IsRemovableDrive(disk));
    ASSERT_EQ(ListDrives().size(), 1u);
    EXPECT_EQ(ListDrives()[0].displayText, disk + " (ext4)");
}

TEST_F(DrivesTest, DeviceUnknownToSysfsIsNotRemovable)
{
    const std::string handheld = Handheld();
    system.WriteMountTable(SimulatedSystem::MountLine(90, handheld, "vfat", "/dev/sdq1"));
    EXPECT_FALSE(IsRemovableDrive(handheld));
}

// A source that only names a device in its last part, or no device at
// all, never reaches sysfs.
TEST_F(DrivesTest, SourcesThatAreNoBlockDeviceAreNotRemovable)
{
    system.AddDisk("sdn", true, "sdn1");
    const std::string a = Handheld("a"), b = Handheld("b"), c = Handheld("c");
    system.WriteMountTable(SimulatedSystem::MountLine(90, a, "fuse.sshfs", "host:/sdn1")
                           + SimulatedSystem::MountLine(91, b, "tmpfs", "sdn1")
                           + SimulatedSystem::MountLine(92, c, "vfat", "/dev/.."));
    EXPECT_FALSE(IsRemovableDrive(a));
    EXPECT_FALSE(IsRemovableDrive(b));
    EXPECT_FALSE(IsRemovableDrive(c));
}

// Any user may mount a FUSE file system naming "/dev/sdn1" as its source:
// the device number decides, and FUSE is never the handheld.
TEST_F(DrivesTest, TheDeviceNumberDecidesNotTheSourceText)
{
    system.AddDisk("sdn", true, "sdn1");
    const std::string posing = Handheld("posing"), fuse = Handheld("fuse"), labelled = Handheld("labelled"),
                      fuseblk = Handheld("fuseblk");
    system.WriteMountTable(
        SimulatedSystem::MountLineOnDevice(90, posing, "vfat", "/dev/sdn1", "0:55")
        + SimulatedSystem::MountLineOnDevice(91, fuse, "fuse.fusefat", "/dev/sdn1", "8:209")
        + SimulatedSystem::MountLineOnDevice(92, labelled, "vfat", "systemd-PSP", "8:209")
        + SimulatedSystem::MountLineOnDevice(93, fuseblk, "fuseblk", "/dev/sdn1", "8:209"));
    EXPECT_FALSE(IsRemovableDrive(posing));
    EXPECT_FALSE(IsRemovableDrive(fuse));
    EXPECT_TRUE(IsRemovableDrive(labelled));
    EXPECT_TRUE(IsRemovableDrive(fuseblk)) << "a kernel block device served through FUSE";
}

TEST_F(DrivesTest, RemovableTestAcceptsTrailingSlashes)
{
    system.AddDisk("sdn", true, "sdn1");
    const std::string handheld = Handheld();
    system.WriteMountTable(SimulatedSystem::MountLine(90, handheld, "vfat", "/dev/sdn1"));
    EXPECT_TRUE(IsRemovableDrive(handheld + "/"));
    EXPECT_TRUE(IsRemovableDrive(handheld + "//"));
}

TEST_F(DrivesTest, MountPointNotInTheTableIsNotRemovable)
{
    system.AddDisk("sdn", true, "sdn1");
    const std::string handheld = Handheld();
    system.WriteMountTable(SimulatedSystem::MountLine(90, handheld, "vfat", "/dev/sdn1"));
    EXPECT_FALSE(IsRemovableDrive(handheld + "/MP_ROOT"));
    EXPECT_FALSE(IsRemovableDrive(""));
    EXPECT_FALSE(IsRemovableDrive("/"));
}

TEST_F(DrivesTest, MountedOverPointIsListedOnceAsItsNewestMount)
{
    system.AddDisk("sdn", true, "sdn1");
    const std::string handheld = Handheld();
    system.WriteMountTable(SimulatedSystem::MountLine(90, handheld, "ext4", "/dev/vdb")
                           + SimulatedSystem::MountLine(91, "/", "ext4", "/dev/vda")
                           + SimulatedSystem::MountLine(92, handheld, "vfat", "/dev/sdn1"));
    const auto drives = ListDrives();
    EXPECT_EQ(MountPointsOf(drives), (std::vector<std::string>{"/", handheld}));
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_TRUE(drives[1].removable);
    EXPECT_TRUE(IsRemovableDrive(handheld));
}

TEST_F(DrivesTest, MountPointWithBlanksAndBackslashesIsDecoded)
{
    system.AddDisk("sdn", true, "sdn1");
    const std::string handheld = Handheld("my psp\\1");
    system.WriteMountTable(SimulatedSystem::MountLine(90, handheld, "vfat", "/dev/sdn1"));
    ASSERT_EQ(MountPointsOf(ListDrives()), (std::vector<std::string>{handheld}));
    EXPECT_TRUE(IsRemovableDrive(handheld));
}

TEST_F(DrivesTest, UnreadableMountTableGivesNoDrives)
{
    std::filesystem::remove(system.MountTablePath());
    EXPECT_TRUE(ListDrives().empty());
    EXPECT_FALSE(IsRemovableDrive("/"));
}

// Seams pointed at a device or a pipe answer "no drives" at once
// instead of reading without end or blocking.
TEST_F(DrivesTest, SeamsReadRegularFilesOnly)
{
    system.AddDisk("sdn", true, "sdn1");
    const std::string handheld = Handheld();
    system.WriteMountTable(SimulatedSystem::MountLine(90, handheld, "vfat", "/dev/sdn1"));
    ASSERT_TRUE(IsRemovableDrive(handheld));

    const std::string removable = system.PathOf("sys/block/sdn/removable");
    std::filesystem::remove(removable);
    ASSERT_EQ(::mkfifo(removable.c_str(), 0600), 0);
    EXPECT_FALSE(IsRemovableDrive(handheld));

    const std::string pipe = system.PathOf("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& seam : {std::string("/dev/zero"), pipe}) {
        ::setenv("VANTREL_MOUNTINFO", seam.c_str(), 1);
        EXPECT_TRUE(ListDrives().empty()) << seam;
        EXPECT_FALSE(IsMounted(handheld)) << seam;
    }
}

// Start-up asks about every drive: the table is read once per change,
// not once per question.
TEST_F(DrivesTest, TheTableIsReadAgainOnlyAfterItChanged)
{
    system.WriteMountTable(SimulatedSystem::MountLine(24, "/", "ext4", "/dev/vda"));
    const MountTable first = CurrentMountTable();
    EXPECT_EQ(CurrentMountTable(), first);

    const std::string handheld = Handheld();
    system.WriteMountTable(SimulatedSystem::MountLine(24, "/", "ext4", "/dev/vda")
                           + SimulatedSystem::MountLine(90, handheld, "vfat", "/dev/sdn1"));
    const MountTable second = CurrentMountTable();
    EXPECT_NE(second, first);
    ASSERT_EQ(second->size(), 2u);
    EXPECT_EQ(second->back().mountPoint, handheld);
    EXPECT_TRUE(IsMounted(handheld));
}

TEST_F(DrivesTest, MountedDriveHasFreeBytesWithinItsTotal)
{
    const std::string handheld = Handheld();
    system.WriteMountTable(SimulatedSystem::MountLine(90, handheld, "vfat", "/dev/sdn1"));
    const DiskSpace space = QueryDiskSpace(handheld);
    EXPECT_GT(space.totalBytes, 0);
    EXPECT_GE(space.freeBytes, 0);
    EXPECT_LE(space.freeBytes, space.totalBytes);
}

TEST_F(DrivesTest, MountPointFolderLeftBehindIsNoDrive)
{
    // Pulled out: the folder stays, the table no longer lists it.
    const std::string handheld = Handheld();
    system.WriteMountTable(SimulatedSystem::MountLine(21, "/", "ext4", "/dev/vda"));

    EXPECT_FALSE(IsMounted(handheld));
    const DiskSpace space = QueryDiskSpace(handheld);
    EXPECT_EQ(space.freeBytes, -1);
    EXPECT_EQ(space.totalBytes, -1);
    EXPECT_FALSE(IsOnMountedDrive(handheld + "/MP_ROOT/100MNV01", handheld));
    EXPECT_TRUE(IsOnMountedDrive(handheld + "/MP_ROOT/100MNV01", "/")) << "the computer's own disk holds it now";
}

TEST_F(DrivesTest, PathsOnAMountedDriveAreTheOnesBelowItsMountPoint)
{
    const std::string handheld = Handheld();
    system.WriteMountTable(SimulatedSystem::MountLine(90, handheld, "vfat", "/dev/sdn1"));

    EXPECT_TRUE(IsMounted(handheld));
    EXPECT_TRUE(IsMounted(handheld + "/"));
    EXPECT_TRUE(IsOnMountedDrive(handheld, handheld));
    EXPECT_TRUE(IsOnMountedDrive(handheld + "/MP_ROOT/100MNV01/M4V00001.MP4", handheld + "/"));
    EXPECT_FALSE(IsOnMountedDrive(handheld + "2/MP_ROOT", handheld)) << "a sibling that only starts alike";
    EXPECT_FALSE(IsOnMountedDrive(handheld + "/../elsewhere", handheld));
    EXPECT_FALSE(IsOnMountedDrive(handheld + "/MP_ROOT", handheld + "/MP_ROOT/100MNV01"))
        << "not a mount point of the table";
    EXPECT_FALSE(IsMounted(""));
}

TEST(DiskSpaceTest, VanishedMountPointGivesMinusOneForBoth)
{
    const DiskSpace space = QueryDiskSpace("/no/such/mount/point");
    EXPECT_EQ(space.freeBytes, -1);
    EXPECT_EQ(space.totalBytes, -1);
    const DiskSpace empty = QueryDiskSpace("");
    EXPECT_EQ(empty.freeBytes, -1);
    EXPECT_EQ(empty.totalBytes, -1);
}

} // namespace
