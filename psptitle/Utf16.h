#pragma once

// The conversions between UTF-8 and the UTF-16 of the library's C
// interface, for its callers. Broken sequences become U+FFFD instead of
// failing, except in the strict form.

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

} // namespace psptitle
