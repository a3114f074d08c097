#pragma once

// Conversions between the encodings titles come in: UTF-16 at the
// library's boundary and in the handheld's entry (big-endian there), UTF-8
// in the standard tags. Broken sequences become U+FFFD instead of failing.

#include "psptitle/Bytes.h"

#include <string>
#include <string_view>

namespace psptitle {

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

// Text stored as big-endian UTF-16 up to the first NUL unit (or the end).
std::u16string decodeUtf16BigEndian(ByteView bytes);
void appendUtf16BigEndian(ByteVector& bytes, std::u16string_view text);

} // namespace psptitle
