#include "platform/MountLookup.h"

#include "platform/FileSystem.h"

std::optional<MountEntry> MountHolding(const std::string& path)
{
    std::optional<MountEntry> best;
    // Later lines mount over earlier ones at the same point: the last wins.
    for (const MountEntry& entry : *CurrentMountTable()) {
        if (platform::IsAtOrBelow(path, entry.mountPoint) && (!best || entry.mountPoint.size() >= best->mountPoint.size()))
            best = entry;
    }
    return best;
}

bool LimitsFilesBelow4GiB(const std::string& fsType)
{
    return fsType == "vfat" || fsType == "msdos" || fsType == "fat";
}
