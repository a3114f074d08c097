#pragma once

// The top level of an MP4 file, walked by seeking from header to header:
// the payloads (above all the media data) are never read.

#include "psptitle/Box.h"
#include "psptitle/Bytes.h"
#include "psptitle/Storage.h"

#include <cstddef>
#include <optional>

namespace psptitle {

struct FileLayout {
    std::uint64_t fileSize = 0;
    std::vector<Box> boxes;                 // top-level boxes, headers only
    std::optional<std::size_t> movie;       // the first 'moov' among them
    std::size_t movieCount = 0;
    bool fragmented = false;                // has 'moof' boxes
    bool handheldBrand = false;             // 'ftyp' names the brand MSNV
    bool strayTail = false;                 // bytes too few for a box at the end

    [[nodiscard]] const Box& movieBox() const { return boxes[*movie]; }
};

// Walks the top-level boxes of `file`, which holds `fileSize` bytes.
// Throws Problem on a damaged header or when there is no movie box.
FileLayout readFileLayout(FileAccess& file, std::uint64_t fileSize);

// Reads exactly `size` bytes at `offset`, or throws Problem.
ByteVector readExactly(FileAccess& file, std::uint64_t offset, std::size_t size);

} // namespace psptitle
