#pragma once

// A save that rewrites the handheld's title box alone, for the layout the
// handheld's own files have: the movie box last in the file, its title box
// (moov/uuid USMT) behind every box but free space. Rewriting the whole
// movie box costs its size in writes, megabytes on a movie; this costs the
// title box and a few headers.
//
// The movie box's tail (the title box and the free boxes around it) takes
// the new title box: into free space there that holds it, else appended
// after the end of the file, inside a 'free' box that the movie box is then
// widened to cover. At every moment the movie box's first title box is a
// whole one holding the old title or the new one:
//
//  - the new box is written as free space, body first and its header
//    last, flushed;
//  - one 8-byte header write makes it a title box: where it comes before
//    the old one, that is the commit;
//  - one 8-byte header write turns the old box into free space: where the
//    new box comes after it, that is the commit.
//
// The free space left inside the movie box is taken by the next save, so
// it stays within about two title boxes however many saves follow. Media
// data and every box before the tail are never written.

#include "psptitle/Box.h"
#include "psptitle/Bytes.h"
#include "psptitle/FileSpace.h"
#include "psptitle/SavePlan.h"

#include <optional>

namespace psptitle {

// The plan that puts `newMovie` (the old movie box `oldMovie`, indexed as
// `oldIndex` with offset 0, retitled) into the file by rewriting its title
// box; nullopt when the file's layout or the edit is not of that kind, and
// a whole movie box must be rewritten instead.
std::optional<SavePlan> planTitleBoxSave(const FileSpace& space, ByteView oldMovie, const Box& oldIndex,
                                         ByteView newMovie);

} // namespace psptitle
