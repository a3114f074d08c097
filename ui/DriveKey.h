#pragma once

// Which handheld load the pane shows. A key is the drive's identity (its
// mount point) plus where the request came from: a forced load (start,
// refresh, arrival) or a report of the drive list. Keys of different
// drives never match, and a forced key never matches the drive-list key
// of the same drive, so a removal reloads a drive whose last load was
// forced and leaves one alone that the drive list loaded.

#include <string>

enum class TDriveOrigin { Forced, DriveList };

struct TDriveKey {
    std::string MountPoint;
    TDriveOrigin Origin = TDriveOrigin::Forced;

    bool operator==(const TDriveKey&) const = default;
};
