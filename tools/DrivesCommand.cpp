// vantrel-tool drives: the drive list as the window shows it, one line a
// drive: mount point, removable (1/0), free bytes, total bytes, separated
// by tabs. A space that cannot be read is -1.

#include "tools/Commands.h"

#include "platform/Drives.h"

#include <cstdio>
#include <string>

namespace {

// A tab, a newline or a backslash in a mount point would break the line
// format; they are written as the mount table writes them (\011, \012,
// \134). Blanks stay, since they do not break a tab-separated line.
std::string ForOneField(const std::string& text)
{
    std::string field;
    for (char c : text) {
        switch (c) {
        case '\t': field += "\\011"; break;
        case '\n': field += "\\012"; break;
        case '\\': field += "\\134"; break;
        default: field += c;
        }
    }
    return field;
}

} // namespace

int runDrivesCommand(int argc, char**)
{
    if (argc != 0) {
        std::fputs("usage: vantrel-tool drives\n", stderr);
        return 2;
    }
    for (const DriveInfo& drive : ListDrives()) {
        const DiskSpace space = QueryDiskSpace(drive.mountPoint);
        std::printf("%s\t%d\t%.0f\t%.0f\n", ForOneField(drive.mountPoint).c_str(), drive.removable ? 1 : 0,
                    space.freeBytes, space.totalBytes);
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::perror("vantrel-tool: standard output");
        return 1;
    }
    return 0;
}
