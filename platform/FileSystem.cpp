// Queries and folder operations: stat, listings, folder chains, rename.

#include "platform/FileSystem.h"

#include <algorithm>
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

int MakeDirectories(const std::string& folder, std::vector<std::string>* made)
{
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.empty() || IsDirectory(path))
        return 0;
    // Parents first, from the root down.
    const auto slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        if (const int parent = MakeDirectories(path.substr(0, slash), made); parent != 0)
            return parent;
    }
    if (::mkdir(path.c_str(), 0777) == 0) {
        if (made)
            made->push_back(path);
        return 0;
    }
    if (errno != EEXIST)
        return errno;
    // Another process may have made it meanwhile; anything else there
    // blocks the chain.
    return IsDirectory(path) ? 0 : ENOTDIR;
}

int SyncMadeFolders(const std::vector<std::string>& made)
{
    std::vector<std::string> flushed;
    const auto flushOnce = [&flushed](const std::string& folder) {
        if (std::find(flushed.begin(), flushed.end(), folder) != flushed.end())
            return 0;
        flushed.push_back(folder);
        return SyncDirectory(folder);
    };
    for (const std::string& folder : made) {
        std::string parent = FolderOf(folder);
        while (parent.size() > 1 && parent.back() == '/')
            parent.pop_back();
        if (const int error = flushOnce(folder); error != 0)
            return error;
        if (const int error = flushOnce(parent.empty() ? std::string(".") : parent); error != 0)
            return error;
    }
    return 0;
}

int RemoveFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

namespace {

bool isUnsupported(int error)
{
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

// A link to the new name, then the old name removed.
int linkThenUnlink(int fromFolder, const std::string& from, int toFolder, const std::string& to)
{
    if (::linkat(fromFolder, from.c_str(), toFolder, to.c_str(), 0) != 0)
        return errno;
    if (::unlinkat(fromFolder, from.c_str(), 0) == 0)
        return 0;
    const int error = errno;
    (void)::unlinkat(toFolder, to.c_str(), 0);
    return error;
}

// The new name reserved by an exclusive create, then the file renamed
// over that placeholder of our own.
int renameOverPlaceholder(int fromFolder, const std::string& from, int toFolder, const std::string& to)
{
    const int placeholder = ::openat(toFolder, to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (placeholder < 0)
        return errno;
    ::close(placeholder);
    if (::renameat(fromFolder, from.c_str(), toFolder, to.c_str()) == 0)
        return 0;
    const int error = errno;
    (void)::unlinkat(toFolder, to.c_str(), 0);
    return error;
}

} // namespace

int RenameNoReplaceAt(int fromFolder, const std::string& from, int toFolder, const std::string& to)
{
    if (::renameat2(fromFolder, from.c_str(), toFolder, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (!isUnsupported(errno))
        return errno;
    const int linked = linkThenUnlink(fromFolder, from, toFolder, to);
    if (linked == 0 || linked == EEXIST)
        return linked;
    if (linked != EPERM && !isUnsupported(linked) && linked != EMLINK)
        return linked;
    return renameOverPlaceholder(fromFolder, from, toFolder, to);
}

int RenameNoReplace(const std::string& from, const std::string& to)
{
    return RenameNoReplaceAt(AT_FDCWD, from, AT_FDCWD, to);
}

std::optional<std::tm> LocalTime(std::time_t when)
{
    std::tm fields {};
    if (!::localtime_r(&when, &fields))
        return std::nullopt;
    return fields;
}

} // namespace platform
