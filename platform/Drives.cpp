// The drive list, the removable test and the space of a drive.

#include "platform/Drives.h"

#include "platform/FileSystem.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// The kernel's and the session's own trees, whatever is mounted there.
constexpr auto SystemTrees = std::to_array<std::string_view>({"/proc", "/sys", "/dev", "/run"});

bool IsInTree(std::string_view path, std::string_view tree)
{
    return path.starts_with(tree) && (path.size() == tree.size() || path[tree.size()] == '/');
}

bool IsSystemMount(const MountEntry& entry)
{
    if (std::find(SystemFileSystems.begin(), SystemFileSystems.end(), entry.fsType) != SystemFileSystems.end())
        return true;
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

// The block device's name as sysfs knows it: /dev/sdb1 gives sdb1, and a
// link such as /dev/disk/by-label/PSP gives the name of the device it
// points at.
std::string BlockDeviceName(const std::string& source)
{
    if (!source.starts_with("/dev/"))
        return {};
    std::error_code error;
    std::filesystem::path device = std::filesystem::canonical(source, error);
    if (error || !device.string().starts_with("/dev/"))
        device = source;
    std::string name = device.filename().string();
    return name == "." || name == ".." ? std::string() : name;
}

// A partition's folder sits inside its disk's folder, and only the disk
// says whether it is removable.
bool IsRemovableSource(const std::string& source)
{
    const std::string name = BlockDeviceName(source);
    if (name.empty())
        return false;
    std::error_code error;
    std::filesystem::path device = std::filesystem::canonical(SysfsRoot() / "class" / "block" / name, error);
    if (error)
        return false;
    const std::filesystem::path disk = std::filesystem::exists(device / "partition", error) ? device.parent_path() : device;
    std::ifstream removable(disk / "removable");
    char flag = 0;
    return removable.get(flag) && flag == '1';
}

std::string DisplayTextOf(const MountEntry& entry, bool removable)
{
    return removable ? entry.mountPoint : entry.mountPoint + " (" + entry.fsType + ")";
}

// The mount in use at `mountPoint`: the newest one on that point.
std::optional<MountEntry> MountAt(const std::vector<MountEntry>& table, const std::string& mountPoint)
{
    if (mountPoint.empty())
        return std::nullopt;
    const std::string wanted = WithoutTrailingSlashes(mountPoint);
    const auto entry = std::find_if(table.rbegin(), table.rend(),
                                    [&](const MountEntry& e) { return WithoutTrailingSlashes(e.mountPoint) == wanted; });
    return entry == table.rend() ? std::nullopt : std::optional<MountEntry>(*entry);
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
        const bool removable = IsRemovableSource(entry.source);
        drives.push_back({entry.mountPoint, DisplayTextOf(entry, removable), removable});
    }
    return drives;
}

std::vector<DriveInfo> ListDrives()
{
    return DrivesOf(ReadMountTable());
}

bool IsRemovableDrive(const std::string& mountPoint)
{
    const std::optional<MountEntry> entry = MountAt(ReadMountTable(), mountPoint);
    return entry && IsRemovableSource(entry->source);
}

bool IsMounted(const std::string& mountPoint)
{
    return MountAt(ReadMountTable(), mountPoint).has_value();
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
