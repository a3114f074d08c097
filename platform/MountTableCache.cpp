// The mount table, read again only when it has changed.
//
// Every drive check asks for the table (is this drive mounted, is it
// removable, which mount holds this path), and start-up asks once per
// drive: reading the whole table each time makes the start cost grow
// with the square of the mounts. The kernel's table says it changed by
// POLLPRI on a descriptor kept open for the purpose; a simulated table
// is replaced by rename, so a new file identity means a change.

#include "platform/Drives.h"

#include "platform/FileSystem.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <optional>

namespace {

constexpr const char* KernelTablePath = "/proc/self/mountinfo";

// Far above any real table (3,000 mounts take about 400 KB); a seam
// pointed at an endless file stops here.
constexpr std::size_t TableSizeLimit = 64u << 20;

// What tells one version of a simulated table from the next.
struct FileIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    timespec Changed{};

    bool operator==(const FileIdentity& other) const
    {
        return Device == other.Device && Inode == other.Inode && Size == other.Size
               && Changed.tv_sec == other.Changed.tv_sec && Changed.tv_nsec == other.Changed.tv_nsec;
    }
};

std::optional<FileIdentity> IdentityOf(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino, info.st_size, info.st_ctim};
}

MountTable TableFrom(const std::optional<std::string>& text)
{
    return std::make_shared<const std::vector<MountEntry>>(text ? ParseMountInfo(*text) : std::vector<MountEntry>());
}

class MountTableCache {
public:
    MountTable Current()
    {
        const std::lock_guard<std::mutex> hold(FLock);
        const std::string path = MountTablePath();
        if (path != FPath) {
            // Tests point the seam elsewhere between cases.
            FPath = path;
            FEntries.reset();
            FKernelTable = platform::FileDescriptor();
        }
        if (path == KernelTablePath)
            ReadKernelTableIfChanged();
        else
            ReadFileIfChanged();
        return FEntries;
    }

private:
    void ReadKernelTableIfChanged()
    {
        if (!FKernelTable.IsOpen()) {
            platform::OpenResult opened = platform::OpenRegularForReading(FPath);
            FKernelTable = std::move(opened.File);
            FEntries.reset();
        }
        if (!FKernelTable.IsOpen()) {
            FEntries = TableFrom(std::nullopt);
            return;
        }
        pollfd changes{FKernelTable.Get(), POLLPRI, 0};
        const bool changed = ::poll(&changes, 1, 0) > 0 && (changes.revents & (POLLPRI | POLLERR));
        if (FEntries && !changed)
            return;
        if (::lseek(FKernelTable.Get(), 0, SEEK_SET) != 0) {
            FEntries = TableFrom(std::nullopt);
            return;
        }
        FEntries = TableFrom(platform::ReadToEnd(FKernelTable.Get(), TableSizeLimit));
    }

    void ReadFileIfChanged()
    {
        const std::optional<FileIdentity> identity = IdentityOf(FPath);
        if (FEntries && identity && FIdentity && *identity == *FIdentity)
            return;
        FIdentity = identity;
        FEntries = TableFrom(identity ? platform::ReadSmallFile(FPath, TableSizeLimit) : std::nullopt);
    }

    std::mutex FLock;
    std::string FPath;
    platform::FileDescriptor FKernelTable;
    std::optional<FileIdentity> FIdentity;
    MountTable FEntries;
};

} // namespace

std::string MountTablePath()
{
    const char* seam = std::getenv("VANTREL_MOUNTINFO");
    return seam && *seam ? seam : KernelTablePath;
}

MountTable CurrentMountTable()
{
    static MountTableCache cache;
    return cache.Current();
}
