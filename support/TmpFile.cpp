// Temporary file names, made the same way in a signal handler and in the
// program's normal run.

#include "support/TmpFile.h"

#include "platform/FileSystem.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Names tried before giving up; each is new unless a file of that name
// is already there.
constexpr int kAttempts = 100;

std::atomic<unsigned> gNameCounter{0};

// Eight hexadecimal digits that differ between processes, between calls
// and between attempts.
void UniqueDigits(char* digits, unsigned attempt)
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    std::uint32_t value = static_cast<std::uint32_t>(now.tv_nsec) ^ static_cast<std::uint32_t>(now.tv_sec) * 2654435761u;
    value ^= static_cast<std::uint32_t>(::getpid()) << 12;
    value += (gNameCounter.fetch_add(1) + attempt) * 40503u;
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (int i = 7; i >= 0; --i) {
        digits[i] = kHex[value & 0xF];
        value >>= 4;
    }
}

} // namespace

std::string SystemTempFolder()
{
    const char* folder = std::getenv("TMPDIR");
    return platform::WithTrailingSlash(folder != nullptr && *folder != '\0' ? folder : "/tmp");
}

int CreateUniqueTmpFile(const char* folder, char* path, std::size_t capacity)
{
    static constexpr char kPrefix[] = "tmp";
    static constexpr char kSuffix[] = ".tmp";
    const std::size_t folderLength = std::strlen(folder);
    const std::size_t length = folderLength + (sizeof kPrefix - 1) + 8 + (sizeof kSuffix - 1);
    if (capacity == 0)
        return -1;
    path[0] = '\0';
    if (length >= capacity)
        return -1;

    for (unsigned attempt = 0; attempt < kAttempts; ++attempt) {
        char* end = path;
        std::memcpy(end, folder, folderLength);
        end += folderLength;
        std::memcpy(end, kPrefix, sizeof kPrefix - 1);
        end += sizeof kPrefix - 1;
        UniqueDigits(end, attempt);
        end += 8;
        std::memcpy(end, kSuffix, sizeof kSuffix);

        const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST && errno != EINTR)
            break;
    }
    path[0] = '\0';
    return -1;
}

TTmpFile::TTmpFile(const std::string& folder, const std::string& extension)
    : Folder(folder.empty() ? SystemTempFolder() : platform::WithTrailingSlash(folder))
{
    char made[PATH_MAX];
    const int fd = CreateUniqueTmpFile(Folder.c_str(), made, sizeof made);
    if (fd < 0)
        return;
    // Only the name is wanted: the placeholder goes again at once.
    ::close(fd);
    ::unlink(made);
    Path = made;
    if (!extension.empty())
        Path += "." + extension;
}

TTmpFile::~TTmpFile()
{
    if (!Path.empty() && AutoDelete)
        (void)platform::RemoveFile(Path);
}
