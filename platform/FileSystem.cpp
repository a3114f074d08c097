// Queries and folder operations: stat, listings, folder chains, rename.

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

FileStatus fromStat(const struct stat& info)
{
    FileStatus status;
    if (S_ISREG(info.st_mode))
        status.Kind = EntryKind::RegularFile;
    else if (S_ISDIR(info.st_mode))
        status.Kind = EntryKind::Directory;
    status.Size = static_cast<std::int64_t>(info.st_size);
    status.Modified = info.st_mtime;
    status.Device = info.st_dev;
    status.Inode = info.st_ino;
    return status;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

std::optional<FileStatus> StatPath(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return fromStat(info);
}

std::optional<FileStatus> StatLink(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return std::nullopt;
    return fromStat(info);
}

std::optional<FileStatus> StatDescriptor(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::nullopt;
    return fromStat(info);
}

bool SameFile(const FileStatus& a, const FileStatus& b)
{
    return a.Device == b.Device && a.Inode == b.Inode;
}

bool Exists(const std::string& path)
{
    return StatLink(path).has_value();
}

bool IsDirectory(const std::string& path)
{
    const auto status = StatPath(path);
    return status && status->Kind == EntryKind::Directory;
}

bool IsRegularFile(const std::string& path)
{
    const auto status = StatPath(path);
    return status && status->Kind == EntryKind::RegularFile;
}

std::optional<std::vector<std::string>> ListDirectory(const std::string& folder)
{
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return std::nullopt;
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry) {
            if (errno != 0)
                return std::nullopt;
            break;
        }
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        names.emplace_back(name);
    }
    return names;
}

int MakeDirectories(const std::string& folder)
{
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.empty() || IsDirectory(path))
        return 0;
    // Parents first, from the root down.
    const auto slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        if (const int parent = MakeDirectories(path.substr(0, slash)); parent != 0)
            return parent;
    }
    if (::mkdir(path.c_str(), 0777) == 0)
        return 0;
    if (errno != EEXIST)
        return errno;
    // Another process may have made it meanwhile; anything else there
    // blocks the chain.
    return IsDirectory(path) ? 0 : ENOTDIR;
}

int RemoveFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    return errno;
}

std::optional<std::tm> LocalTime(std::time_t when)
{
    std::tm fields {};
    if (!::localtime_r(&when, &fields))
        return std::nullopt;
    return fields;
}

} // namespace platform
