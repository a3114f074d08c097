#pragma once

// Renders a movie box with a new title: the handheld's title entry is
// replaced (or added, with its table when the box has none), the standard
// title tags that exist follow it, the sizes of the boxes around each edit
// grow or shrink to match, and every other byte is copied unchanged.

#include "psptitle/TitlePlaces.h"

#include <string_view>

namespace psptitle {

// The longest title an entry can hold: its size is a 16-bit count that
// includes the 10-byte header and the closing NUL.
constexpr std::size_t maxTitleUnits = (0xFFFF - entryHeaderSize) / 2 - 1;

// `movie` holds the bytes of the box `movieBox` (whose offset is 0).
// Throws Problem when a box would outgrow its size field.
ByteVector renderRetitledMovie(ByteView movie, const Box& movieBox, const TitlePlaces& places,
                               std::u16string_view title);

} // namespace psptitle
