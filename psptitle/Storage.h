#pragma once

// The seam between the title library and the files it works on. The real
// implementation (PosixStorage) talks to the file system; tests put a
// fault-injecting one in front of it, and the fuzzer uses one that keeps a
// file in memory. Every call reports failure by an errno value (0 = done),
// so a caller can tell a full medium from a read-only one.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace psptitle {

// What identifies one state of one file: a save refuses to write when any
// of these changed since the file was opened.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    // What kind of file it is: a read opens the path and asks the open
    // file, without looking the path up first.
    bool regular = true;
    bool directory = false;
    bool operator==(const FileIdentity&) const = default;
};

// Facts about a path before it is opened.
struct PathFacts {
    int error = 0;            // errno of the look-up; 0 when it exists
    bool isDirectory = false;
    bool isRegular = false;
    bool writable = false;    // some write permission bit is set
};

// One open file.
class FileAccess {
public:
    virtual ~FileAccess() = default;

    // Reads up to buffer.size() bytes at `offset`; `got` is how many came
    // (fewer only at the end of the file).
    [[nodiscard]] virtual int readAt(std::uint64_t offset, std::span<std::byte> buffer, std::size_t& got) = 0;
    // Writes all of `bytes` at `offset` or fails (a short write is a failure).
    [[nodiscard]] virtual int writeAt(std::uint64_t offset, std::span<const std::byte> bytes) = 0;
    // Makes everything written so far durable.
    [[nodiscard]] virtual int flush() = 0;
    [[nodiscard]] virtual int truncate(std::uint64_t size) = 0;
    [[nodiscard]] virtual int identify(FileIdentity& identity) = 0;
    // Takes an advisory lock on the whole file that lasts until the file is
    // closed: an exclusive one keeps every other saver out, a shared one
    // only other savers. Waits a few seconds for a lock another process
    // holds, then gives up with EWOULDBLOCK.
    [[nodiscard]] virtual int lock(bool exclusive) = 0;
};

// Opens files by path.
class Storage {
public:
    virtual ~Storage() = default;

    [[nodiscard]] virtual PathFacts inspect(const std::string& path) = 0;
    [[nodiscard]] virtual int openForReading(const std::string& path, std::unique_ptr<FileAccess>& file) = 0;
    [[nodiscard]] virtual int openForWriting(const std::string& path, std::unique_ptr<FileAccess>& file) = 0;
    // Whether the medium holding `path` is mounted read-only.
    [[nodiscard]] virtual bool onReadOnlyMedium(const std::string& path) = 0;
};

// The file system itself.
std::unique_ptr<Storage> makePosixStorage();

} // namespace psptitle
