#pragma once

// Conversions between the encodings titles come in: UTF-16 at the
// library's boundary and in the handheld's entry (big-endian there), UTF-8
// in the standard tags. Broken sequences become U+FFFD instead of failing.

#include "psptitle/Bytes.h"

#include <optional>
#include <string>
#include <string_view>

namespace psptitle {

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

// Text typed by a user, which must reach the file exactly: nullopt, with
// `problem` saying what is wrong in a few words, when it is not valid
// UTF-8 or holds a NUL (also the "modified UTF-8" NUL, bytes C0 80).
std::optional<std::u16string> strictUtf8ToUtf16(std::string_view text, std::string& problem);

// Characters (code points) in `text`, a surrogate pair counting once.
std::size_t characterCount(std::u16string_view text);
// How many characters of `text` fit in `units` UTF-16 units.
std::size_t charactersFitting(std::u16string_view text, std::size_t units);

// Text stored as big-endian UTF-16 up to the first NUL unit (or the end).
std::u16string decodeUtf16BigEndian(ByteView bytes);
void appendUtf16BigEndian(ByteVector& bytes, std::u16string_view text);

} // namespace psptitle
