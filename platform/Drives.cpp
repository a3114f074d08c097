// The drive list, the removable test and the space of a drive.

#include "platform/Drives.h"

#include "platform/FileSystem.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

namespace {

// File systems that hold no files of the user's.
constexpr auto SystemFileSystems = std::to_array<std::string_view>({
    "proc", "sysfs", "cgroup", "cgroup2", "devpts", "mqueue", "debugfs", "tracefs", "securityfs",
    "pstore", "bpf", "fusectl", "configfs", "autofs", "hugetlbfs", "binfmt_misc",
    // Not in every list of pseudo file systems, but as empty of videos:
    "nsfs", "devtmpfs", "efivarfs", "selinuxfs", "rpc_pipefs",
});

// The kernel's and the session's own trees, whatever is mounted there;
// except that several desktops mount removable media under /run/media.
constexpr auto SystemTrees = std::to_array<std::string_view>({"/proc", "/sys", "/dev", "/run"});
constexpr std::string_view RemovableMediaTree = "/run/media";

bool IsInTree(std::string_view path, std::string_view tree)
{
    return path.starts_with(tree) && (path.size() == tree.size() || path[tree.size()] == '/');
}

bool IsSystemMount(const MountEntry& entry)
{
    if (std::find(SystemFileSystems.begin(), SystemFileSystems.end(), entry.fsType) != SystemFileSystems.end())
        return true;
    if (IsInTree(entry.mountPoint, RemovableMediaTree) && entry.mountPoint.size() > RemovableMediaTree.size())
        return false;
    return std::any_of(SystemTrees.begin(), SystemTrees.end(),
                       [&](std::string_view tree) { return IsInTree(entry.mountPoint, tree); });
}

// "/media/x//" and "/media/x" are the same mount point; "/" stays "/".
std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::filesystem::path SysfsRoot()
{
    const char* seam = std::getenv("VANTREL_SYSFS");
    return seam && *seam ? seam : "/sys";
}

// FUSE mounts are served by a user's process, whatever device they name:
// "fuse" and "fuse.<subtype>". A fuseblk mount is a kernel block device
// served through FUSE, and its device number is the device's own.
bool IsFuse(const std::string& fsType)
{
    return fsType == "fuse" || fsType.starts_with("fuse.");
}

// The first byte of a small sysfs attribute; 0 when it cannot be read.
char FirstByteOf(const std::filesystem::path& file)
{
    const std::optional<std::string> text = platform::ReadSmallFile(file.string(), 64);
    return text && !text->empty() ? text->front() : 0;
}

// A partition's folder sits inside its disk's folder, and only the disk
// says whether it is removable.
bool IsRemovableMount(const MountEntry& entry)
{
    if (IsFuse(entry.fsType) || entry.device.empty())
        return false;
    std::error_code error;
    const std::filesystem::path device =
        std::filesystem::canonical(SysfsRoot() / "dev" / "block" / entry.device, error);
    if (error)
        return false;
    const std::filesystem::path disk = std::filesystem::exists(device / "partition", error) ? device.parent_path() : device;
    return FirstByteOf(disk / "removable") == '1';
}

std::string DisplayTextOf(const MountEntry& entry, bool removable)
{
    return removable ? entry.mountPoint : entry.mountPoint + " (" + entry.fsType + ")";
}

// The mount in use at `mountPoint`: the newest one on that point.
std::optional<MountEntry> MountAt(const MountTable& table, const std::string& mountPoint)
{
    if (mountPoint.empty())
        return std::nullopt;
    const std::string wanted = WithoutTrailingSlashes(mountPoint);
    const auto entry = std::find_if(table->rbegin(), table->rend(),
                                    [&](const MountEntry& e) { return WithoutTrailingSlashes(e.mountPoint) == wanted; });
    return entry == table->rend() ? std::nullopt : std::optional<MountEntry>(*entry);
}

} // namespace

std::vector<DriveInfo> DrivesOf(const std::vector<MountEntry>& table)
{
    std::vector<DriveInfo> drives;
    for (const MountEntry& entry : table) {
        if (IsSystemMount(entry))
            continue;
        // What was mounted there before is hidden now.
        std::erase_if(drives, [&](const DriveInfo& drive) { return drive.mountPoint == entry.mountPoint; });
        const bool removable = IsRemovableMount(entry);
        drives.push_back({entry.mountPoint, DisplayTextOf(entry, removable), removable});
    }
    return drives;
}

std::vector<DriveInfo> ListDrives()
{
    return DrivesOf(*CurrentMountTable());
}

bool IsRemovableDrive(const std::string& mountPoint)
{
    const std::optional<MountEntry> entry = MountAt(CurrentMountTable(), mountPoint);
    return entry && IsRemovableMount(*entry);
}

bool IsMounted(const std::string& mountPoint)
{
    return MountAt(CurrentMountTable(), mountPoint).has_value();
}

bool IsOnMountedDrive(const std::string& path, const std::string& mountPoint)
{
    return platform::IsAtOrBelow(path, mountPoint) && IsMounted(mountPoint);
}

DiskSpace QueryDiskSpace(const std::string& mountPoint)
{
    return IsMounted(mountPoint) ? QueryFolderSpace(mountPoint) : DiskSpace{};
}

DiskSpace QueryFolderSpace(const std::string& folder)
{
    struct statvfs facts {};
    if (::statvfs(folder.c_str(), &facts) != 0)
        return {};
    return {static_cast<double>(facts.f_bavail) * static_cast<double>(facts.f_frsize),
            static_cast<double>(facts.f_blocks) * static_cast<double>(facts.f_frsize)};
}
