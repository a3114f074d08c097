// Owned descriptors and the read, write and flush calls of the copier.

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

FileDescriptor::~FileDescriptor()
{
    if (FFd >= 0)
        ::close(FFd);
}

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        if (FFd >= 0)
            ::close(FFd);
        FFd = std::exchange(other.FFd, -1);
    }
    return *this;
}

int FileDescriptor::Close()
{
    if (FFd < 0)
        return 0;
    // Linux releases the descriptor even when close() fails; never retry.
    const int result = ::close(std::exchange(FFd, -1));
    return result == 0 ? 0 : errno;
}

namespace {

OpenResult openWith(const std::string& path, int flags, mode_t mode = 0)
{
    OpenResult result;
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        result.Error = errno;
    else
        result.File = FileDescriptor(fd);
    return result;
}

} // namespace

OpenResult OpenRegularForReading(const std::string& path)
{
    // O_NONBLOCK keeps a pipe named like a video from hanging the open;
    // it has no effect on the reads of a regular file.
    OpenResult result = openWith(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (!result.File.IsOpen())
        return result;
    struct stat info {};
    if (::fstat(result.File.Get(), &info) != 0) {
        result.Error = errno;
        result.File = FileDescriptor();
    } else if (!S_ISREG(info.st_mode)) {
        result.Error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        result.File = FileDescriptor();
    }
    return result;
}

OpenResult CreateOrTruncate(const std::string& path)
{
    return openWith(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY, 0666);
}

OpenResult CreateExclusive(const std::string& path)
{
    return openWith(path, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY, 0666);
}

ssize_t ReadSome(int fd, void* buffer, std::size_t size)
{
    ssize_t count;
    do {
        count = ::read(fd, buffer, size);
    } while (count < 0 && errno == EINTR);
    return count;
}

std::optional<std::string> ReadToEnd(int fd, std::size_t limit)
{
    // Proc files report size 0, so read until a read gives nothing.
    std::string text;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ReadSome(fd, buffer, sizeof buffer);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return text;
        if (text.size() + std::size_t(got) > limit)
            return std::nullopt;
        text.append(buffer, std::size_t(got));
    }
}

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit)
{
    const OpenResult opened = OpenRegularForReading(path);
    if (!opened.File.IsOpen())
        return std::nullopt;
    return ReadToEnd(opened.File.Get(), limit);
}

int WriteAll(int fd, const void* buffer, std::size_t size)
{
    const char* next = static_cast<const char*>(buffer);
    while (size > 0) {
        const ssize_t written = ::write(fd, next, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC;
        next += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

int SyncFile(int fd)
{
    return ::fsync(fd) == 0 ? 0 : errno;
}

int SyncDirectory(const std::string& folder)
{
    OpenResult dir = openWith(folder.empty() ? std::string(".") : folder, O_RDONLY | O_DIRECTORY);
    if (!dir.File.IsOpen())
        return dir.Error;
    int synced = SyncFile(dir.File.Get());
    // Some file systems cannot flush a folder on its own; the entries
    // then travel with the file's own flush.
    if (synced == EINVAL || synced == ENOTSUP)
        synced = 0;
    const int closed = dir.File.Close();
    return synced != 0 ? synced : closed;
}

namespace {

int syncRange(int fd, std::int64_t offset, std::int64_t length, unsigned flags)
{
    int result;
    do {
        result = ::sync_file_range(fd, offset, length, flags);
    } while (result != 0 && errno == EINTR);
    if (result == 0)
        return 0;
    // Not offered by this file system or file: not an error of the data.
    if (errno == EINVAL || errno == ESPIPE || errno == ENOSYS || errno == EOPNOTSUPP)
        return 0;
    return errno;
}

} // namespace

int StartWriteBack(int fd, std::int64_t offset, std::int64_t length)
{
    return syncRange(fd, offset, length, SYNC_FILE_RANGE_WRITE);
}

int AwaitWriteBack(int fd, std::int64_t offset, std::int64_t length)
{
    return syncRange(fd, offset, length,
                     SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
}

std::string ErrorText(int error)
{
    char buffer[256];
    // The GNU strerror_r returns the text, in `buffer` or a static string.
    return ::strerror_r(error, buffer, sizeof buffer);
}

} // namespace platform
