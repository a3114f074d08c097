#pragma once

// Where a movie box keeps its title: the handheld's own entry
// (moov/uuid USMT/MTDT) and the standard tags that players on computers
// show (moov/udta/meta/ilst/©nam/data, QuickTime's moov/udta/©nam).

#include "psptitle/Box.h"
#include "psptitle/Bytes.h"

#include <optional>
#include <string>
#include <vector>

namespace psptitle {

// MTDT entry types whose low 16 bits are 1 hold a title.
constexpr std::uint16_t titleEntryType = 1;
constexpr std::uint16_t utf16Encoding = 1;
constexpr std::uint16_t englishLanguage = 0x15C7;   // "eng", packed as in mdhd
constexpr std::size_t entryHeaderSize = 10;

struct MetadataEntry {
    std::uint64_t offset = 0;     // in the movie box's bytes
    std::uint16_t size = 0;       // header included
    std::uint32_t type = 0;
    std::uint16_t language = 0;
    std::uint16_t encoding = 0;
};

// The handheld's metadata table and the title entry in it, if any.
struct HandheldTable {
    const Box* usmt = nullptr;
    const Box* mtdt = nullptr;
    std::uint16_t count = 0;      // as stored; only a hint of the entries
    std::vector<MetadataEntry> entries;
    std::optional<std::size_t> titleEntry;
};

// A standard title tag: the boxes from below moov down to the one holding
// the text, and the bytes that hold it.
struct StandardTag {
    std::vector<const Box*> path;
    std::uint64_t textBegin = 0;  // in the movie box's bytes
    std::uint64_t textEnd = 0;
    std::uint16_t language = 0;   // QuickTime form only
};

struct TitlePlaces {
    std::optional<HandheldTable> handheld;   // moov/uuid USMT with MTDT
    std::optional<StandardTag> itunesName;   // moov/udta/meta/ilst/©nam/data
    std::optional<StandardTag> quickTimeName; // moov/udta/©nam

    // The title the handheld shows, else the standard one, else empty.
    [[nodiscard]] std::u16string title(ByteView movie) const;
};

// Finds the title places in the indexed movie box `movie` whose bytes are
// `bytes`. Throws Problem when the handheld's table is damaged.
TitlePlaces findTitlePlaces(ByteView bytes, const Box& movie);

} // namespace psptitle
