#pragma once

// The mounted file systems that the drive list offers, and their space.
//
// The mount table is /proc/self/mountinfo, or the file named by
// VANTREL_MOUNTINFO; sysfs is /sys, or the folder named by VANTREL_SYSFS.
// Both seams let tests and the demo simulate a handheld without root.
//
// A drive's device is named by the device number of its mount-table line
// (major:minor), never by the line's source text, which any user's FUSE
// mount may set to "/dev/sdb1". A simulated sysfs is laid out as /sys
// lays it out, and only these files are read. For a partition 8:209 of
// the disk sdn:
//
//   $VANTREL_SYSFS/dev/block/8:209 -> ../../block/sdn/sdn1   (a symlink)
//   $VANTREL_SYSFS/block/sdn/sdn1/partition                 (exists: a partition)
//   $VANTREL_SYSFS/block/sdn/removable                      (contains "1")
//
// A whole-disk medium needs dev/block/8:208 -> ../../block/sdn and
// block/sdn/removable only. Both seams are read as regular files only,
// of bounded size. A simulated mount table is replaced in one rename, as
// the kernel's table changes in one step: the table is read again only
// when its file is another one.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One line of the mount table, escapes decoded.
struct MountEntry {
    std::string mountPoint;
    std::string fsType;
    std::string source;  // e.g. /dev/sdb1; anybody's FUSE mount may name it
    std::string device;  // major:minor, e.g. 8:17
};

// Parses mountinfo text. Pure; malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The file the mount table is read from: VANTREL_MOUNTINFO when set and
// not empty, else /proc/self/mountinfo.
std::string MountTablePath();

// The current mount table from that file; empty when it cannot be read.
// The same table is handed out until the file reports a change, so a
// check costs no read; callers share it and never change it.
using MountTable = std::shared_ptr<const std::vector<MountEntry>>;
MountTable CurrentMountTable();

struct DriveInfo {
    std::string mountPoint;   // identifies the drive
    std::string displayText;  // removable: mount point alone; else with label or type
    bool removable = false;
};

// The drives of the drive list, in mount-table order (newest last),
// pseudo and system file systems left out. A mount point mounted over
// appears once, where and as its newest mount is.
std::vector<DriveInfo> ListDrives();
// The same from a table already read (sysfs is still read for each entry).
std::vector<DriveInfo> DrivesOf(const std::vector<MountEntry>& table);

// True when the mount point's device number names a block device whose
// disk reports removable = 1 in sysfs; FUSE file systems never are. A
// trailing '/' (or several) is accepted.
bool IsRemovableDrive(const std::string& mountPoint);

// True when `mountPoint` is in the current mount table (trailing '/'
// accepted). A drive that has left the table is gone, even when its
// mount-point folder is still there: an fstab mount point, or a folder
// that stands for a simulated handheld, stays on the computer's own disk.
bool IsMounted(const std::string& mountPoint);

// True when `path` is `mountPoint` or lies below it and that drive is
// mounted now. Anything created or written on a drive asks this first:
// below a mount point that is no longer mounted, a new folder or file
// would land on the computer's own disk and be hidden under the drive
// once it is mounted again.
bool IsOnMountedDrive(const std::string& path, const std::string& mountPoint);

struct DiskSpace {
    double freeBytes = -1;   // bytes available to the user; -1 on failure
    double totalBytes = -1;  // -1 on failure
};
// The space of the drive mounted at `mountPoint`; -1 for both when the
// query fails or the drive is not mounted (IsMounted).
DiskSpace QueryDiskSpace(const std::string& mountPoint);
// The space of the file system that holds `folder`, whichever it is (a
// computer folder, a folder standing for a handheld); -1 for both when
// the query fails.
DiskSpace QueryFolderSpace(const std::string& folder);
