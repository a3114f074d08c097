#pragma once

// Keeps a copy's destination flushed as it grows, so the flush before
// "success" finds little left to write and never holds the window for
// long: each written block is sent to the medium at once, and bytes more
// than a few MiB behind the end are waited for, so the medium works on
// the backlog while the copy goes on. The block size follows the medium: a wait
// that held the caller for more than a few milliseconds halves the next
// block, a quick one doubles it, so a slow memory stick gets small
// blocks and the window still gets its turns.

#include <cstddef>
#include <cstdint>

class TWriteBehind {
public:
    static constexpr std::size_t SmallestBlock = std::size_t(64) << 10;
    static constexpr std::size_t LargestBlock = std::size_t(1) << 20;
    // Bytes that may be on their way to the medium at once.
    static constexpr std::int64_t Backlog = std::int64_t(8) << 20;

    explicit TWriteBehind(int fd) : FFd(fd) {}

    // How many bytes to read and write next.
    std::size_t BlockSize() const { return FBlockSize; }

    // Reports `length` bytes just written at the end of the file. 0, or
    // the errno of a write-back failure (the copy has failed then).
    [[nodiscard]] int Written(std::size_t length);

private:
    int FFd;
    std::size_t FBlockSize = LargestBlock;
    std::int64_t FEnd = 0;      // bytes written so far
    std::int64_t FAwaited = 0;  // bytes known to be on the medium
};
