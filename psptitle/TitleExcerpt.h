#pragma once

// The parts of a movie box that hold a title, read without the rest. A
// movie box grows with the video's length (its sample tables take about
// 3 MB an hour) while its title takes a few dozen bytes, so a title read
// walks the movie box's direct children by their headers and reads only
// the handheld's title box and the user data's name tags
// (udta/meta/ilst/©nam, udta/©nam).
//
// The excerpt is a movie box of its own: the kept boxes byte for byte,
// inside containers whose sizes count only what they keep. It is indexed
// and searched for titles as a whole movie box is; it never goes back to
// the file, which a save rewrites from the whole movie box.

#include "psptitle/Box.h"
#include "psptitle/Bytes.h"

namespace psptitle {

class HeaderWindow;

// The excerpt of the movie box `movie` (file offsets), read through
// `window`. Throws Problem on a damaged header among the boxes it walks,
// with the texts a whole index gives.
ByteVector readTitleExcerpt(HeaderWindow& window, const Box& movie);

} // namespace psptitle
