#pragma once

// Puts a rewritten movie box into a file without moving the media data and
// without a moment in which the file is not a playable video:
//
//  1. The new movie box is appended, wrapped in a 'free' box, and flushed.
//     Readers still see only the old one.
//  2. When the old movie box was the last box of the file, one header write
//     turns it into a 'free' box that also covers the wrapper's header, so
//     the next box a reader meets is the new movie box. Otherwise the
//     wrapper shrinks to its bare header first (the file then has the old
//     movie box first, which readers use, and the new one last), and then
//     the old one becomes a 'free' box. Each step is flushed.
//
// Chunk offsets stay right because the media data never moves. Any failure
// puts the old headers back and cuts the file to its old size.

#include "psptitle/Box.h"
#include "psptitle/Bytes.h"
#include "psptitle/Storage.h"

namespace psptitle {

// `file` holds `fileSize` bytes with the top-level movie box `oldMovie`,
// whose first bytes are `oldHeader`. Throws Problem; the file is then as
// it was, as far as the medium still lets it be written.
void replaceMovieBox(FileAccess& file, std::uint64_t fileSize, const Box& oldMovie, ByteView oldHeader,
                     ByteView newMovie);

// Undoes a replacement that went through: the old movie box's header comes
// back and the file is cut to `fileSize` again. Returns an errno value.
[[nodiscard]] int restoreMovieBox(FileAccess& file, std::uint64_t fileSize, const Box& oldMovie, ByteView oldHeader);

} // namespace psptitle
