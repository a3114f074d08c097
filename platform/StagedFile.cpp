#include "platform/StagedFile.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

constexpr std::string_view StagedPrefix = ".vantrel-partial-";
constexpr int NameAttempts = 16;

std::string newStagedName()
{
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    char suffix[17];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(generator()));
    return std::string(StagedPrefix) + suffix;
}

int openAt(int folder, const std::string& name, int flags, mode_t mode = 0)
{
    int fd;
    do {
        fd = ::openat(folder, name.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

std::optional<FileStatus> statAt(int folder, const std::string& name)
{
    struct stat info {};
    if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    FileStatus status;
    status.Device = info.st_dev;
    status.Inode = info.st_ino;
    return status;
}

// Removes `name` from `folder` when it is still the file open as `file`.
bool removeIfSame(int folder, const std::string& name, int file)
{
    const auto entry = statAt(folder, name);
    const auto open = StatDescriptor(file);
    return entry && open && SameFile(*entry, *open) && ::unlinkat(folder, name.c_str(), 0) == 0;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

bool IsStagedName(std::string_view name)
{
    return name.size() > StagedPrefix.size() && name.substr(0, StagedPrefix.size()) == StagedPrefix;
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : FFolder(std::move(other.FFolder)), FFile(std::move(other.FFile)), FName(std::move(other.FName)),
      FIdentity(other.FIdentity), FKept(other.FKept)
{
}

StagedFile::~StagedFile()
{
    if (!FKept)
        RemoveOwnEntry();
}

void StagedFile::RemoveOwnEntry()
{
    if (FFolder.IsOpen() && !FName.empty()) {
        const auto entry = statAt(FFolder.Get(), FName);
        if (entry && SameFile(*entry, FIdentity) && ::unlinkat(FFolder.Get(), FName.c_str(), 0) == 0)
            (void)SyncFile(FFolder.Get());
    }
    FName.clear();
}

int StagedFile::Commit(const std::string& name, bool replace)
{
    if (const int synced = SyncFile(FFile.Get()); synced != 0)
        return synced;
    const int renamed = replace ? (::renameat(FFolder.Get(), FName.c_str(), FFolder.Get(), name.c_str()) == 0 ? 0 : errno)
                                : RenameNoReplaceAt(FFolder.Get(), FName, FFolder.Get(), name);
    if (renamed != 0)
        return renamed;
    FName = name;
    const int synced = SyncFile(FFolder.Get());
    // Some file systems cannot flush a folder on its own; the entry then
    // travelled with the file's own flush.
    return synced == EINVAL || synced == ENOTSUP ? 0 : synced;
}

int StagedFile::Finish()
{
    const int closed = FFile.Close();
    if (closed != 0) {
        RemoveOwnEntry();
        return closed;
    }
    FKept = true;
    FFolder = FileDescriptor();
    return 0;
}

StagedResult CreateStaged(const std::string& folder)
{
    StagedResult result;
    const int folderFd = openAt(AT_FDCWD, folder.empty() ? std::string(".") : folder, O_RDONLY | O_DIRECTORY);
    if (folderFd < 0) {
        result.Error = errno;
        return result;
    }
    StagedFile& staged = result.File;
    staged.FFolder = FileDescriptor(folderFd);
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        std::string name = newStagedName();
        const int fd = openAt(folderFd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            result.Error = errno;
            return result;
        }
        staged.FFile = FileDescriptor(fd);
        staged.FName = std::move(name);
        if (const auto identity = StatDescriptor(fd))
            staged.FIdentity = *identity;
        // Held until the descriptor closes; a clean-up skips locked files.
        (void)::flock(fd, LOCK_EX | LOCK_NB);
        return result;
    }
    result.Error = EEXIST;
    return result;
}

int RemoveAbandonedStagedFiles(const std::string& folder)
{
    const int folderFd = openAt(AT_FDCWD, folder, O_RDONLY | O_DIRECTORY);
    if (folderFd < 0)
        return 0;
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(folderFd));
    if (!dir) {
        ::close(folderFd);
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (!IsStagedName(name))
            continue;
        const FileDescriptor file(openAt(folderFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
        if (!file.IsOpen() || ::flock(file.Get(), LOCK_EX | LOCK_NB) != 0)
            continue;  // a copy under way holds it
        if (removeIfSame(folderFd, name, file.Get()))
            ++removed;
    }
    if (removed > 0)
        (void)SyncFile(folderFd);
    return removed;
}

} // namespace platform
