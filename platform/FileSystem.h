#pragma once

// The Linux file operations the catalogue and the transfers need: owned
// file descriptors, directory listings, stat sizes and times, folder
// chains, durable writes and a rename that never replaces.
//
// Paths are UTF-8 byte strings as the file system stores them. Functions
// that can fail return the errno value (0 on success) or an empty
// optional, never throw.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace platform {

// Owns one open file descriptor and closes it when it goes.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : FFd(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    bool IsOpen() const { return FFd >= 0; }
    int Get() const { return FFd; }

    // Closes now and reports the outcome, so a write error that only
    // shows at close is not lost. 0 when nothing was open.
    [[nodiscard]] int Close();

private:
    int FFd = -1;
};

// An open file, or the errno of the failed open.
struct OpenResult {
    FileDescriptor File;
    int Error = 0;
};

// Opens an existing regular file for reading. A directory, device or
// pipe is refused (EISDIR / EINVAL) without blocking on it.
[[nodiscard]] OpenResult OpenRegularForReading(const std::string& path);
// Creates `path`, or truncates it when it exists, for writing.
[[nodiscard]] OpenResult CreateOrTruncate(const std::string& path);
// Creates `path` for writing; fails with EEXIST when anything is there.
[[nodiscard]] OpenResult CreateExclusive(const std::string& path);

// Reads from the current offset to the end of the file, at most `limit`
// bytes. nullopt when a read fails or the file holds more: a seam pointed
// at an endless file gets an answer instead of filling the memory.
std::optional<std::string> ReadToEnd(int fd, std::size_t limit);
// The whole of a small regular file (OpenRegularForReading, ReadToEnd).
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit);

// Reads up to `size` bytes, retrying interruptions. The count read
// (0 at end of file), or -1 with errno set.
[[nodiscard]] ssize_t ReadSome(int fd, void* buffer, std::size_t size);
// Writes all `size` bytes, continuing after partial writes. 0, or the
// errno of the failure (ENOSPC when the medium takes no more bytes).
[[nodiscard]] int WriteAll(int fd, const void* buffer, std::size_t size);

// Flushes a file's data and metadata to the medium.
[[nodiscard]] int SyncFile(int fd);
// Flushes a folder, so entries created or removed in it are durable.
[[nodiscard]] int SyncDirectory(const std::string& folder);

// Starts writing a byte range of a file to the medium without waiting.
// 0, or the errno of a failure; a file system that cannot do it counts
// as success (the final SyncFile does the work then).
[[nodiscard]] int StartWriteBack(int fd, std::int64_t offset, std::int64_t length);
// Waits until a byte range of a file is on the medium, starting what was
// not started yet. Same results as StartWriteBack.
[[nodiscard]] int AwaitWriteBack(int fd, std::int64_t offset, std::int64_t length);

enum class EntryKind { RegularFile, Directory, Other };

struct FileStatus {
    EntryKind Kind = EntryKind::Other;
    std::int64_t Size = 0;       // st_size
    std::time_t Modified = 0;    // st_mtime
    dev_t Device = 0;
    ino_t Inode = 0;
};

// stat() of `path`, following symbolic links.
std::optional<FileStatus> StatPath(const std::string& path);
// lstat() of `path`: the link itself when it is one.
std::optional<FileStatus> StatLink(const std::string& path);
// fstat() of an open file.
std::optional<FileStatus> StatDescriptor(int fd);
// True when both name the same file (device and inode).
bool SameFile(const FileStatus& a, const FileStatus& b);

bool IsDirectory(const std::string& path);
// True when anything is at `path`, a dangling link included: a name
// that is taken.
bool Exists(const std::string& path);
bool IsRegularFile(const std::string& path);

// The names in `folder`, hidden ones and subfolders included, without
// "." and "..", in the order the file system returns them. Empty
// optional when the folder cannot be read.
std::optional<std::vector<std::string>> ListDirectory(const std::string& folder);

// Creates `folder` and every missing parent. 0 when it exists afterwards.
// The folders it made, from the top down, are added to `made` when given.
[[nodiscard]] int MakeDirectories(const std::string& folder, std::vector<std::string>* made = nullptr);
// Flushes each folder of `made` and the folder that holds it, so that a
// chain made for a new file survives a power cut with the file.
[[nodiscard]] int SyncMadeFolders(const std::vector<std::string>& made);

// Copies the regular file `from` to `to`, which must not exist yet
// (EEXIST otherwise), and flushes the copy and its folder to the medium.
// 0, or the errno of the failure; a failed copy leaves nothing at `to`.
[[nodiscard]] int CopyFileExclusive(const std::string& from, const std::string& to);
// The same for a new file holding the `size` bytes at `bytes`.
[[nodiscard]] int WriteFileExclusive(const std::string& to, const void* bytes, std::size_t size);

// unlink(); 0 or errno.
int RemoveFile(const std::string& path);

// Renames `from` to `to` only when nothing is at `to` (EEXIST otherwise).
// Where the file system has no such rename (FUSE, network shares), a
// hard link and an unlink, or else a rename over an exclusively created
// placeholder, still never replace a file.
[[nodiscard]] int RenameNoReplace(const std::string& from, const std::string& to);
// The same, for names relative to open folders (or AT_FDCWD).
[[nodiscard]] int RenameNoReplaceAt(int fromFolder, const std::string& from, int toFolder, const std::string& to);

// Local calendar time of `when` under the current time zone rules.
std::optional<std::tm> LocalTime(std::time_t when);

// The system's text for an errno value ("No space left on device").
std::string ErrorText(int error);

// Path pieces on '/'.
std::string FolderOf(const std::string& path);       // up to and including the last '/'
std::string NameOf(const std::string& path);         // after the last '/'
std::string WithTrailingSlash(const std::string& folder);
// `path` with the extension of its last component (from its last dot on)
// replaced by `extension`, or `extension` appended when it has no dot.
std::string WithExtension(const std::string& path, const std::string& extension);
// True when `path` is `folder` or lies below it, compared piece by piece
// after "." and ".." are resolved in the text (no link is followed):
// "/media/psp/MP_ROOT" lies on "/media/psp/" but "/media/psp2" does not.
bool IsAtOrBelow(const std::string& path, const std::string& folder);

// ASCII-only case folding, as FAT media compare names.
std::string AsciiUpper(std::string_view text);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

} // namespace platform
