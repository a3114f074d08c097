#pragma once

// The top level of an MP4 file, walked by seeking from header to header:
// the payloads (above all the media data) are never read.

#include "psptitle/Box.h"
#include "psptitle/Bytes.h"
#include "psptitle/Storage.h"

#include <cstddef>
#include <optional>

namespace psptitle {

// The first movie box of a file is the live one, as players read it; a
// later one is what an interrupted save left behind.
struct FileLayout {
    std::uint64_t fileSize = 0;
    std::vector<Box> boxes;                 // top-level boxes, headers only
    std::optional<std::size_t> movie;       // the first 'moov' among them
    std::size_t movieCount = 0;
    bool fragmented = false;                // has 'moof' boxes
    bool handheldBrand = false;             // 'ftyp' names the brand MSNV
    // Where bytes start that no box holds, after the live movie box: a
    // header too short to read, or a movie or free box that the end of the
    // file cuts off. Players stop reading there; it is what a save that was
    // killed while it appended leaves, and the next save removes it.
    std::optional<std::uint64_t> cutOffAt;

    [[nodiscard]] const Box& movieBox() const { return boxes[*movie]; }
    // Whether the box holds nothing a player reads: free space, or a movie
    // box after the live one.
    [[nodiscard]] bool isDead(std::size_t index) const;
};

// Walks the top-level boxes of `file`, which holds `fileSize` bytes.
// Throws Problem on a damaged header or when there is no movie box; past
// the live movie box, a cut-off trailing box is recorded, not refused.
FileLayout readFileLayout(FileAccess& file, std::uint64_t fileSize);
// The same through a window on the file, which later reads may share.
class HeaderWindow;
FileLayout readFileLayout(HeaderWindow& window, std::uint64_t fileSize);

// Reads exactly `size` bytes at `offset`, or throws Problem.
ByteVector readExactly(FileAccess& file, std::uint64_t offset, std::size_t size);

} // namespace psptitle
