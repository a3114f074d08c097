#pragma once

// A mount table and a sysfs tree of the test's own, through the
// VANTREL_MOUNTINFO and VANTREL_SYSFS seams, in a temporary folder.

#include <QTemporaryDir>

#include <string>

class SimulatedSystem {
public:
    SimulatedSystem();
    ~SimulatedSystem();
    SimulatedSystem(const SimulatedSystem&) = delete;
    SimulatedSystem& operator=(const SimulatedSystem&) = delete;

    // A path inside the temporary folder (which exists; the path need not).
    std::string PathOf(const std::string& name) const;
    std::string MountTablePath() const { return PathOf("mountinfo"); }

    // Replaces the mount table in one rename, as the kernel's changes.
    void WriteMountTable(const std::string& text) const;

    // A disk `disk` (such as "sdn") reporting `removable`, laid out as
    // /sys lays it out; with a non-empty `partition` also that partition.
    // Devices get the kernel's numbers: sdn1 is 8:209.
    void AddDisk(const std::string& disk, bool removable, const std::string& partition = "") const;

    // One mountinfo line for a mount of `source` at `mountPoint`; a source
    // /dev/NAME carries NAME's device number, any other none that sysfs
    // knows.
    static std::string MountLine(int id, const std::string& mountPoint, const std::string& fsType,
                                 const std::string& source);
    // The same with the device number given apart from the source text.
    static std::string MountLineOnDevice(int id, const std::string& mountPoint, const std::string& fsType,
                                         const std::string& source, const std::string& device);

private:
    QTemporaryDir folder;
};
