#include "psptitle/TextCoding.h"

namespace psptitle {
namespace {

constexpr char32_t replacement = 0xFFFD;

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void appendUtf16(std::u16string& out, char32_t point)
{
    if (point >= 0x10000) {
        point -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (point >> 10));
        out += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
    } else {
        out += static_cast<char16_t>(point);
    }
}

void appendUtf8(std::string& out, char32_t point)
{
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `at`, moving `at` past it. Overlong forms,
// surrogates and values past U+10FFFF are broken sequences.
char32_t nextCodePoint(std::string_view text, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80)
        return lead;
    int length = 0;
    char32_t point = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 1, point = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 2, point = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 3, point = lead & 0x07, smallest = 0x10000;
    } else {
        return replacement;
    }
    for (int i = 0; i < length; ++i) {
        if (at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80)
            return replacement;
        point = (point << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
    }
    if (point < smallest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return replacement;
    return point;
}

// Whether the unit at `at` starts a surrogate pair.
bool startsPair(std::u16string_view text, std::size_t at)
{
    return isHighSurrogate(text[at]) && at + 1 < text.size() && isLowSurrogate(text[at + 1]);
}

} // namespace

std::optional<std::u16string> strictUtf8ToUtf16(std::string_view text, std::string& problem)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        if (text.substr(at, 2) == std::string_view("\xC0\x80", 2)) {
            problem = "the title holds an encoded NUL character (bytes C0 80)";
            return std::nullopt;
        }
        const char32_t point = nextCodePoint(text, at);
        // A replacement character typed as such is three bytes long.
        if (point == replacement && text.substr(start, at - start) != "\xEF\xBF\xBD") {
            problem = "the title is not valid UTF-8 (at byte " + std::to_string(start + 1) + ")";
            return std::nullopt;
        }
        if (point == 0) {
            problem = "the title holds a NUL character";
            return std::nullopt;
        }
        appendUtf16(out, point);
    }
    return out;
}

std::size_t characterCount(std::u16string_view text)
{
    return charactersFitting(text, text.size());
}

std::size_t charactersFitting(std::u16string_view text, std::size_t units)
{
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++characters) {
        const std::size_t width = startsPair(text, at) ? 2 : 1;
        if (at + width > units)
            break;
        at += width;
    }
    return characters;
}

std::u16string utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();)
        appendUtf16(out, nextCodePoint(text, at));
    return out;
}

std::string utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        char32_t unit = text[at];
        if (startsPair(text, at)) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[at + 1] - 0xDC00);
            ++at;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            unit = replacement;
        }
        appendUtf8(out, unit);
    }
    return out;
}

std::u16string decodeUtf16BigEndian(ByteView bytes)
{
    std::u16string out;
    for (std::size_t at = 0; at + 2 <= bytes.size(); at += 2) {
        const char16_t unit = readU16(bytes, at);
        if (unit == 0)
            break;
        out += unit;
    }
    return out;
}

void appendUtf16BigEndian(ByteVector& bytes, std::u16string_view text)
{
    for (const char16_t unit : text)
        appendU16(bytes, unit);
}

} // namespace psptitle
