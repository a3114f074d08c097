#include "psptitle/HeaderWindow.h"

#include "psptitle/Problem.h"

#include <algorithm>

namespace psptitle {

void HeaderWindow::fill(std::uint64_t offset, std::size_t size)
{
    if (size > capacity_) {
        block_.reset(new std::byte[size]);
        capacity_ = size;
    }
    start_ = offset;
    size_ = 0;
    std::size_t got = 0;
    if (const int error = file_.readAt(offset, std::span<std::byte>(block_.get(), size), got); error != 0)
        throw Problem("the file cannot be read (" + systemText(error) + ")");
    if (got != size)
        throw Problem("the file became shorter while it was read");
    size_ = size;
}

void HeaderWindow::preload(std::uint64_t offset, std::size_t size)
{
    fill(offset, size);
}

ByteView HeaderWindow::read(std::uint64_t offset, std::size_t size)
{
    const bool covered = offset >= start_ && offset + size <= start_ + size_;
    if (!covered)
        fill(offset, static_cast<std::size_t>(
                         std::max<std::uint64_t>(size, std::min<std::uint64_t>(fileSize_ - offset, blockSize))));
    return ByteView(block_.get() + (offset - start_), size);
}

} // namespace psptitle
