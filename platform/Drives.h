#pragma once

// The mounted file systems that the drive list offers, and their space.
//
// The mount table is /proc/self/mountinfo, or the file named by
// VANTREL_MOUNTINFO; sysfs is /sys, or the folder named by VANTREL_SYSFS.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QObject>

// One line of the mount table, escapes decoded.
struct MountEntry {
    std::string mountPoint;
    std::string fsType;
    std::string source;  // e.g. /dev/sdb1
};

// Parses mountinfo text. Pure; malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

struct DriveInfo {
    std::string mountPoint;   // identifies the drive
    std::string displayText;  // removable: mount point alone; else with label or type
    bool removable = false;
};

// The drives of the drive list, in mount-table order (newest last),
// pseudo and system file systems left out.
std::vector<DriveInfo> ListDrives();

// True when the mount point belongs to a block device whose disk reports
// removable = 1 in sysfs. A trailing '/' (or several) is accepted.
bool IsRemovableDrive(const std::string& mountPoint);

struct DiskSpace {
    double freeBytes = -1;   // bytes available to the user; -1 on failure
    double totalBytes = -1;  // -1 on failure
};
DiskSpace QueryDiskSpace(const std::string& mountPoint);

// Reports mounts appearing and vanishing while the event loop runs.
class DriveWatcher : public QObject {
    Q_OBJECT
public:
    explicit DriveWatcher(QObject* parent = nullptr);
    ~DriveWatcher() override;

signals:
    void deviceArrived();   // at least one new mount
    void deviceRemoved();   // at least one mount vanished

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
