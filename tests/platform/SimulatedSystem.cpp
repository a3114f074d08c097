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

} // namespace

SimulatedSystem::SimulatedSystem()
{
    if (!folder.isValid())
        throw std::runtime_error("no temporary folder");
    fs::create_directories(PathOf("sys/class/block"));
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
    fs::create_symlink("../../block/" + disk, PathOf("sys/class/block/" + disk));
    if (!partition.empty()) {
        fs::create_directories(diskFolder / partition);
        WriteText(diskFolder / partition / "partition", "1\n");
        fs::create_symlink("../../block/" + disk + "/" + partition, PathOf("sys/class/block/" + partition));
    }
}

std::string SimulatedSystem::MountLine(int id, const std::string& mountPoint, const std::string& fsType,
                                       const std::string& source)
{
    return std::to_string(id) + " 1 8:1 / " + Escaped(mountPoint) + " rw,relatime shared:1 - " + fsType + " "
           + Escaped(source) + " rw\n";
}
