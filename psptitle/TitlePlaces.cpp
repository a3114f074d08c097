#include "psptitle/TitlePlaces.h"

#include "psptitle/Problem.h"
#include "psptitle/TextCoding.h"

#include <string_view>

namespace psptitle {
namespace {

constexpr std::uint32_t utf8DataType = 1;   // well-known type of a 'data' box
constexpr std::size_t dataPrefixSize = 8;   // type indicator and locale

[[noreturn]] void damagedTable()
{
    throw Problem("the handheld's title box (USMT) is damaged");
}

HandheldTable readHandheldTable(ByteView bytes, const Box& usmt, const Box& mtdt)
{
    HandheldTable table;
    table.usmt = &usmt;
    table.mtdt = &mtdt;
    if (mtdt.payloadSize() < 2)
        damagedTable();
    table.count = readU16(bytes, mtdt.payloadOffset());
    std::uint64_t at = mtdt.payloadOffset() + 2;
    // The stored count is not always right (FFmpeg's bit-exact mode counts
    // an entry it leaves out), so the box's size bounds the walk.
    while (mtdt.end() - at >= entryHeaderSize) {
        MetadataEntry entry;
        entry.offset = at;
        entry.size = readU16(bytes, at);
        if (entry.size < entryHeaderSize || entry.size > mtdt.end() - at)
            damagedTable();
        entry.type = readU32(bytes, at + 2);
        entry.language = readU16(bytes, at + 6);
        entry.encoding = readU16(bytes, at + 8);
        if (!table.titleEntry && (entry.type & 0xFFFF) == titleEntryType)
            table.titleEntry = table.entries.size();
        table.entries.push_back(entry);
        at += entry.size;
    }
    return table;
}

std::optional<HandheldTable> findHandheldTable(ByteView bytes, const Box& movie)
{
    for (const Box& child : movie.children) {
        if (!child.isUuid(usmtType))
            continue;
        if (const Box* mtdt = child.child(fourCC("MTDT")))
            return readHandheldTable(bytes, child, *mtdt);
    }
    return std::nullopt;
}

// moov/udta/meta/ilst/©nam/data holding UTF-8 text.
std::optional<StandardTag> findItunesName(ByteView bytes, const Box& movie)
{
    StandardTag tag;
    const Box* at = &movie;
    for (const FourCC step : {fourCC("udta"), fourCC("meta"), fourCC("ilst"), nameTag, fourCC("data")}) {
        at = at->child(step);
        if (at == nullptr)
            return std::nullopt;
        tag.path.push_back(at);
    }
    if (at->payloadSize() < dataPrefixSize || readU32(bytes, at->payloadOffset()) != utf8DataType)
        return std::nullopt;
    tag.textBegin = at->payloadOffset() + dataPrefixSize;
    tag.textEnd = at->end();
    return tag;
}

// moov/udta/©nam: a list of (u16 length, u16 language, text); the first
// one is the title.
std::optional<StandardTag> findQuickTimeName(ByteView bytes, const Box& movie)
{
    const Box* udta = movie.child(fourCC("udta"));
    const Box* name = udta != nullptr ? udta->child(nameTag) : nullptr;
    if (name == nullptr || name->payloadSize() < 4)
        return std::nullopt;
    const std::uint16_t length = readU16(bytes, name->payloadOffset());
    if (length > name->payloadSize() - 4)
        return std::nullopt;
    StandardTag tag;
    tag.path = {udta, name};
    tag.language = readU16(bytes, name->payloadOffset() + 2);
    tag.textBegin = name->payloadOffset() + 4;
    tag.textEnd = tag.textBegin + length;
    return tag;
}

std::u16string textOf(ByteView movie, const StandardTag& tag)
{
    const ByteView text = movie.subspan(tag.textBegin, tag.textEnd - tag.textBegin);
    std::string_view utf8(reinterpret_cast<const char*>(text.data()), text.size());
    // Some writers count a closing NUL into the text.
    if (const auto nul = utf8.find('\0'); nul != std::string_view::npos)
        utf8 = utf8.substr(0, nul);
    return utf8ToUtf16(utf8);
}

} // namespace

std::u16string TitlePlaces::title(ByteView movie) const
{
    if (handheld && handheld->titleEntry) {
        const MetadataEntry& entry = handheld->entries[*handheld->titleEntry];
        return decodeUtf16BigEndian(movie.subspan(entry.offset + entryHeaderSize, entry.size - entryHeaderSize));
    }
    if (itunesName)
        return textOf(movie, *itunesName);
    if (quickTimeName)
        return textOf(movie, *quickTimeName);
    return {};
}

TitlePlaces findTitlePlaces(ByteView bytes, const Box& movie)
{
    TitlePlaces places;
    places.handheld = findHandheldTable(bytes, movie);
    places.itunesName = findItunesName(bytes, movie);
    places.quickTimeName = findQuickTimeName(bytes, movie);
    return places;
}

} // namespace psptitle
