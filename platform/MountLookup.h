#pragma once

// Which mounted file system holds a path, from the mount table (the same
// table, and the same seam, as the drive list).

#include "platform/Drives.h"

#include <optional>
#include <string>

// The mount whose mount point is the longest one that `path` lies on
// (the path itself or a folder above it). nullopt when the table cannot
// be read or holds no such mount. The path is compared as given, without
// resolving links: the drive list names drives by the same text.
std::optional<MountEntry> MountHolding(const std::string& path);

// True for file systems that cannot hold a file of 4 GiB or more (FAT,
// as memory sticks are formatted).
bool LimitsFilesBelow4GiB(const std::string& fsType);
