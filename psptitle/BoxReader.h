#pragma once

// Reads box headers and indexes the boxes inside a box held in memory.
// Every size is distrusted: a box must be at least as big as its header
// and end within its parent (or the file); nesting depth and box count are
// capped so no input can make the index hang or exhaust memory.

#include "psptitle/Box.h"
#include "psptitle/Bytes.h"

namespace psptitle {

// The most bytes a box header can take: 16 for a 64-bit size, 16 for a
// uuid's extended type.
constexpr std::size_t maxHeaderSize = 32;
// Boxes nested deeper than this are damage.
constexpr int maxNestingDepth = 24;

// Parses the header of the box at `offset`. `header` holds the bytes from
// `offset` on that exist before `limit` (at most maxHeaderSize of them);
// the box must end by `limit`. `parent` is the enclosing box, or nullptr
// at the top level of the file. Throws Problem.
Box readBoxHeader(ByteView header, std::uint64_t offset, std::uint64_t limit, const Box* parent);

// Where the children of the 'meta' box `meta` start, from its offset:
// after 4 bytes of version and flags in ISO files, straight after the
// header in QuickTime ones. `bytes` holds the box (its offset counts from
// the start of `bytes`).
std::uint32_t metaChildrenOffset(ByteView bytes, const Box& meta);

// Indexes the boxes nested in `box`, whose bytes are `bytes` (the box's
// offset counts from the start of `bytes`). Only containers are opened;
// other boxes are kept as leaves. Throws Problem.
void indexNestedBoxes(ByteView bytes, Box& box);

} // namespace psptitle
