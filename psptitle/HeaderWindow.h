#pragma once

// Serves the reads of a walk over boxes from one block read at a time: the
// boxes before the media data, or the headers of a movie box's children,
// usually share a block.

#include "psptitle/Bytes.h"
#include "psptitle/Storage.h"

#include <cstdint>
#include <memory>

namespace psptitle {

class HeaderWindow {
public:
    HeaderWindow(FileAccess& file, std::uint64_t fileSize) : file_(file), fileSize_(fileSize) {}

    // Reads [offset, offset + size) in one call, for the reads that follow:
    // a small box whose parts would each take a block.
    void preload(std::uint64_t offset, std::size_t size);

    // The `size` bytes at `offset`, which lie inside the file; the view
    // holds until the next read. Throws Problem when they cannot be read.
    ByteView read(std::uint64_t offset, std::size_t size);

private:
    static constexpr std::size_t blockSize = 4096;
    FileAccess& file_;
    std::uint64_t fileSize_;
    void fill(std::uint64_t offset, std::size_t size);

    std::uint64_t start_ = 0;
    // Left uninitialised until read into: a window is filled once per
    // read of a title, and clearing it first would cost as much again.
    std::unique_ptr<std::byte[]> block_;
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
};

} // namespace psptitle
