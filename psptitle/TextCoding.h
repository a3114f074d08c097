#pragma once

// Conversions between the encodings titles come in: UTF-16 at the
// library's boundary and in the handheld's entry (big-endian there), UTF-8
// in the standard tags. Broken sequences become U+FFFD instead of failing.
// The UTF-8 ones are public (Utf16.h); the rest is the library's own.

#include "psptitle/Bytes.h"
#include "psptitle/Utf16.h"

#include <optional>
#include <string>
#include <string_view>

namespace psptitle {

// Characters (code points) in `text`, a surrogate pair counting once.
std::size_t characterCount(std::u16string_view text);
// How many characters of `text` fit in `units` UTF-16 units.
std::size_t charactersFitting(std::u16string_view text, std::size_t units);

// Text stored as big-endian UTF-16 up to the first NUL unit (or the end).
std::u16string decodeUtf16BigEndian(ByteView bytes);
void appendUtf16BigEndian(ByteVector& bytes, std::u16string_view text);

} // namespace psptitle
