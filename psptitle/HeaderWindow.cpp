#include "psptitle/HeaderWindow.h"

#include "psptitle/FileLayout.h"

#include <algorithm>

namespace psptitle {

void HeaderWindow::preload(std::uint64_t offset, std::size_t size)
{
    start_ = offset;
    block_ = readExactly(file_, offset, size);
}

ByteVector HeaderWindow::read(std::uint64_t offset, std::size_t size)
{
    const bool covered = offset >= start_ && offset + size <= start_ + block_.size();
    if (!covered && size > blockSize)
        return readExactly(file_, offset, size);
    if (!covered) {
        start_ = offset;
        block_ = readExactly(file_, offset, static_cast<std::size_t>(std::min<std::uint64_t>(fileSize_ - offset, blockSize)));
    }
    const auto from = block_.begin() + static_cast<std::ptrdiff_t>(offset - start_);
    return ByteVector(from, from + static_cast<std::ptrdiff_t>(size));
}

} // namespace psptitle
