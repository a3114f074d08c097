#include "platform/MountLookup.h"

bool PathLiesOn(const std::string& path, const std::string& mountPoint)
{
    if (mountPoint == "/")
        return !path.empty() && path.front() == '/';
    if (path.compare(0, mountPoint.size(), mountPoint) != 0)
        return false;
    return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

std::optional<MountEntry> MountHolding(const std::string& path)
{
    std::optional<MountEntry> best;
    // Later lines mount over earlier ones at the same point: the last wins.
    for (MountEntry& entry : ReadMountTable()) {
        if (PathLiesOn(path, entry.mountPoint) && (!best || entry.mountPoint.size() >= best->mountPoint.size()))
            best = std::move(entry);
    }
    return best;
}

bool IsMountedDrive(const std::string& mountPoint)
{
    std::string wanted = mountPoint;
    while (wanted.size() > 1 && wanted.back() == '/')
        wanted.pop_back();
    for (const MountEntry& entry : ReadMountTable()) {
        if (entry.mountPoint == wanted)
            return true;
    }
    return false;
}

bool LimitsFilesBelow4GiB(const std::string& fsType)
{
    return fsType == "vfat" || fsType == "msdos" || fsType == "fat";
}
