#pragma once

// The window's view of the drives: the watcher of the mount table, whether
// the drive list is filled, the drive the handheld pane shows with the
// highest video number seen there, and that drive's space.

#include "platform/DriveWatcher.h"
#include "ui/DriveKey.h"

#include <memory>
#include <optional>

// What the drive watcher reports.
enum class TDeviceEvent { Arrival, RemoveComplete };

struct TDriveState {
    // Null once the window has closed.
    std::unique_ptr<DriveWatcher> Watcher;
    bool ListReady = false;
    std::optional<TDriveKey> Loaded;
    int HighestVideoNumber = 0;
    double FreeBytes = 0;
    double TotalBytes = 0;
};
