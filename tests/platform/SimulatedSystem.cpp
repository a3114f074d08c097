#include "tests/platform/SimulatedSystem.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::trunc);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

// The kernel's escapes for the characters that would break a line.
std::string Escaped(const std::string& field)
{
    std::string escaped;
    for (char c : field) {
        switch (c) {
        case ' ': escaped += "\\040"; break;
        case '\t': escaped += "\\011"; break;
        case '\n': escaped += "\\012"; break;
        case '\\': escaped += "\\134"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

// The kernel's numbers for SCSI and virtio disks: sdb1 is 8:17, vda is
// 254:0. Anything else gets a number of no block device.
std::string DeviceNumberOf(const std::string& name)
{
    const bool scsi = name.starts_with("sd"), virtio = name.starts_with("vd");
    if ((!scsi && !virtio) || name.size() < 3 || name[2] < 'a' || name[2] > 'z')
        return "0:999";
    const int partition = name.size() > 3 ? std::stoi(name.substr(3)) : 0;
    return std::to_string(scsi ? 8 : 254) + ":" + std::to_string(16 * (name[2] - 'a') + partition);
}

} // namespace

SimulatedSystem::SimulatedSystem()
{
    if (!folder.isValid())
        throw std::runtime_error("no temporary folder");
    fs::create_directories(PathOf("sys/dev/block"));
    WriteMountTable("");
    ::setenv("VANTREL_MOUNTINFO", MountTablePath().c_str(), 1);
    ::setenv("VANTREL_SYSFS", PathOf("sys").c_str(), 1);
}

SimulatedSystem::~SimulatedSystem()
{
    ::unsetenv("VANTREL_MOUNTINFO");
    ::unsetenv("VANTREL_SYSFS");
}

std::string SimulatedSystem::PathOf(const std::string& name) const
{
    return folder.filePath(QString::fromStdString(name)).toStdString();
}

void SimulatedSystem::WriteMountTable(const std::string& text) const
{
    const std::string fresh = MountTablePath() + ".new";
    WriteText(fresh, text);
    if (std::rename(fresh.c_str(), MountTablePath().c_str()) != 0)
        throw std::runtime_error("cannot replace " + MountTablePath());
}

void SimulatedSystem::AddDisk(const std::string& disk, bool removable, const std::string& partition) const
{
    const fs::path diskFolder = PathOf("sys/block/" + disk);
    fs::create_directories(diskFolder);
    WriteText(diskFolder / "removable", removable ? "1\n" : "0\n");
    fs::create_symlink("../../block/" + disk, PathOf("sys/dev/block/" + DeviceNumberOf(disk)));
    if (!partition.empty()) {
        fs::create_directories(diskFolder / partition);
        WriteText(diskFolder / partition / "partition", "1\n");
        fs::create_symlink("../../block/" + disk + "/" + partition, PathOf("sys/dev/block/" + DeviceNumberOf(partition)));
    }
}

std::string SimulatedSystem::MountLine(int id, const std::string& mountPoint, const std::string& fsType,
                                       const std::string& source)
{
    const std::string device = source.starts_with("/dev/") ? DeviceNumberOf(source.substr(5)) : "0:" + std::to_string(id);
    return MountLineOnDevice(id, mountPoint, fsType, source, device);
}

std::string SimulatedSystem::MountLineOnDevice(int id, const std::string& mountPoint, const std::string& fsType,
                                               const std::string& source, const std::string& device)
{
    return std::to_string(id) + " 1 " + device + " / " + Escaped(mountPoint) + " rw,relatime shared:1 - " + fsType + " "
           + Escaped(source) + " rw\n";
}
