// Storage on the real file system, with plain POSIX calls.

#include "psptitle/Storage.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

namespace psptitle {
namespace {

// A save holds its lock for milliseconds; one held this long belongs to a
// process that hangs, and the user hears of it rather than waits forever.
constexpr auto lockPatience = std::chrono::seconds(10);
constexpr auto lockRetryPause = std::chrono::milliseconds(5);

int lastError()
{
    return errno != 0 ? errno : EIO;
}

class PosixFile final : public FileAccess {
public:
    explicit PosixFile(int descriptor) : descriptor_(descriptor) {}
    ~PosixFile() override { ::close(descriptor_); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    int readAt(std::uint64_t offset, std::span<std::byte> buffer, std::size_t& got) override
    {
        got = 0;
        while (got < buffer.size()) {
            const ssize_t n = ::pread(descriptor_, buffer.data() + got, buffer.size() - got,
                                      static_cast<off_t>(offset + got));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return lastError();
            }
            if (n == 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        return 0;
    }

    int writeAt(std::uint64_t offset, std::span<const std::byte> bytes) override
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pwrite(descriptor_, bytes.data() + done, bytes.size() - done,
                                       static_cast<off_t>(offset + done));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return lastError();
            }
            if (n == 0)
                return ENOSPC;
            done += static_cast<std::size_t>(n);
        }
        return 0;
    }

    int flush() override { return ::fsync(descriptor_) == 0 ? 0 : lastError(); }

    int truncate(std::uint64_t size) override
    {
        return ::ftruncate(descriptor_, static_cast<off_t>(size)) == 0 ? 0 : lastError();
    }

    int identify(FileIdentity& identity) override
    {
        struct stat facts {};
        if (::fstat(descriptor_, &facts) != 0)
            return lastError();
        identity.device = facts.st_dev;
        identity.inode = facts.st_ino;
        identity.size = static_cast<std::uint64_t>(facts.st_size);
        identity.modifiedSeconds = facts.st_mtim.tv_sec;
        identity.modifiedNanoseconds = facts.st_mtim.tv_nsec;
        identity.regular = S_ISREG(facts.st_mode);
        identity.directory = S_ISDIR(facts.st_mode);
        return 0;
    }

    // flock rather than fcntl locks: those vanish when any descriptor of
    // the file in this process is closed, and the library opens the file
    // again to read it back while the lock must hold.
    int lock(bool exclusive) override
    {
        const int kind = exclusive ? LOCK_EX : LOCK_SH;
        const auto giveUpAt = std::chrono::steady_clock::now() + lockPatience;
        while (::flock(descriptor_, kind | LOCK_NB) != 0) {
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= giveUpAt)
                return lastError();
            struct timespec pause {0, std::chrono::nanoseconds(lockRetryPause).count()};
            ::nanosleep(&pause, nullptr);
        }
        return 0;
    }

private:
    int descriptor_;
};

class PosixStorage final : public Storage {
public:
    PathFacts inspect(const std::string& path) override
    {
        PathFacts result;
        struct stat facts {};
        if (::stat(path.c_str(), &facts) != 0) {
            result.error = lastError();
            return result;
        }
        result.isDirectory = S_ISDIR(facts.st_mode);
        result.isRegular = S_ISREG(facts.st_mode);
        result.writable = (facts.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
        return result;
    }

    int openForReading(const std::string& path, std::unique_ptr<FileAccess>& file) override
    {
        return openWith(path, O_RDONLY, file);
    }

    int openForWriting(const std::string& path, std::unique_ptr<FileAccess>& file) override
    {
        return openWith(path, O_RDWR, file);
    }

    bool onReadOnlyMedium(const std::string& path) override
    {
        struct statvfs facts {};
        return ::statvfs(path.c_str(), &facts) == 0 && (facts.f_flag & ST_RDONLY) != 0;
    }

private:
    static int openWith(const std::string& path, int flags, std::unique_ptr<FileAccess>& file)
    {
        // O_NONBLOCK keeps a FIFO named like a video from blocking the open.
        const int descriptor = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (descriptor < 0)
            return lastError();
        file = std::make_unique<PosixFile>(descriptor);
        return 0;
    }
};

} // namespace

std::unique_ptr<Storage> makePosixStorage()
{
    return std::make_unique<PosixStorage>();
}

} // namespace psptitle
