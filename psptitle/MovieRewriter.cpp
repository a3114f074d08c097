#include "psptitle/MovieRewriter.h"

#include "psptitle/Problem.h"
#include "psptitle/TextCoding.h"

#include <algorithm>
#include <limits>
#include <map>

namespace psptitle {
namespace {

// Bytes [begin, end) of the old movie box give way to `bytes`; every box
// in `around` changes its size by the difference.
struct Splice {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    ByteVector bytes;
    std::vector<const Box*> around;
};

ByteVector titleEntry(const MetadataEntry* old, std::u16string_view title)
{
    ByteVector entry;
    appendU16(entry, static_cast<std::uint16_t>(entryHeaderSize + 2 * (title.size() + 1)));
    appendU32(entry, old != nullptr ? old->type : titleEntryType);
    appendU16(entry, old != nullptr ? old->language : englishLanguage);
    appendU16(entry, utf16Encoding);
    appendUtf16BigEndian(entry, title);
    appendU16(entry, 0);
    return entry;
}

ByteVector handheldBox(std::u16string_view title)
{
    const ByteVector entry = titleEntry(nullptr, title);
    const auto mtdtSize = static_cast<std::uint32_t>(8 + 2 + entry.size());
    ByteVector box;
    appendU32(box, 8 + 16 + mtdtSize);
    appendU32(box, fourCC("uuid"));
    for (const std::uint8_t b : usmtType)
        box.push_back(std::byte{b});
    appendU32(box, mtdtSize);
    appendU32(box, fourCC("MTDT"));
    appendU16(box, 1);
    appendBytes(box, entry);
    return box;
}

ByteVector utf8Bytes(std::u16string_view title)
{
    const std::string text = utf16ToUtf8(title);
    const auto* first = reinterpret_cast<const std::byte*>(text.data());
    return ByteVector(first, first + text.size());
}

void addHandheldEdits(std::vector<Splice>& splices, const Box& movieBox, const TitlePlaces& places,
                      std::u16string_view title)
{
    if (!places.handheld) {
        // The table goes after the movie box's last child, where FFmpeg
        // puts it (before any zero bytes that end QuickTime's lists).
        splices.push_back({movieBox.childrenEnd, movieBox.childrenEnd, handheldBox(title), {&movieBox}});
        return;
    }
    const HandheldTable& table = *places.handheld;
    const std::vector<const Box*> around = {&movieBox, table.usmt, table.mtdt};
    if (table.titleEntry) {
        const MetadataEntry& old = table.entries[*table.titleEntry];
        splices.push_back({old.offset, old.offset + old.size, titleEntry(&old, title), around});
        return;
    }
    const std::uint64_t countAt = table.mtdt->payloadOffset();
    ByteVector count;
    appendU16(count, static_cast<std::uint16_t>(std::min<unsigned>(table.count + 1u, 0xFFFF)));
    splices.push_back({countAt, countAt + 2, count, {}});
    // After the last whole entry; bytes too few for an entry stay behind it.
    const std::uint64_t after = table.entries.empty() ? countAt + 2 : table.entries.back().offset + table.entries.back().size;
    splices.push_back({after, after, titleEntry(nullptr, title), around});
}

void addStandardEdits(std::vector<Splice>& splices, const Box& movieBox, const TitlePlaces& places,
                      std::u16string_view title)
{
    if (places.itunesName) {
        std::vector<const Box*> around = places.itunesName->path;
        around.push_back(&movieBox);
        splices.push_back({places.itunesName->textBegin, places.itunesName->textEnd, utf8Bytes(title), around});
    }
    if (places.quickTimeName) {
        const StandardTag& tag = *places.quickTimeName;
        const ByteVector text = utf8Bytes(title);
        if (text.size() > 0xFFFF)
            throw Problem("the title is too long for the file's QuickTime title tag");
        ByteVector item;
        appendU16(item, static_cast<std::uint16_t>(text.size()));
        appendU16(item, tag.language);
        appendBytes(item, text);
        std::vector<const Box*> around = tag.path;
        around.push_back(&movieBox);
        splices.push_back({tag.textBegin - 4, tag.textEnd, std::move(item), around});
    }
}

// The header bytes that state `box`'s new size, in the form it had (a
// size that ran to the end of its parent becomes explicit).
Splice sizePatch(const Box& box, std::uint64_t newSize)
{
    Splice patch;
    if (box.sizeForm == SizeForm::Large) {
        patch.begin = box.offset + 8;
        patch.bytes.resize(8);
        putU64(patch.bytes, 0, newSize);
    } else {
        if (newSize > std::numeric_limits<std::uint32_t>::max())
            throw Problem("box '" + typeName(box.type) + "' would grow too large");
        patch.begin = box.offset;
        patch.bytes.resize(4);
        putU32(patch.bytes, 0, static_cast<std::uint32_t>(newSize));
    }
    patch.end = patch.begin + patch.bytes.size();
    return patch;
}

void addSizePatches(std::vector<Splice>& splices, const Box& movieBox)
{
    std::map<const Box*, std::int64_t> growth = {{&movieBox, 0}};
    for (const Splice& splice : splices) {
        const auto change = static_cast<std::int64_t>(splice.bytes.size()) - static_cast<std::int64_t>(splice.end - splice.begin);
        for (const Box* box : splice.around)
            growth[box] += change;
    }
    for (const auto& [box, change] : growth) {
        if (change != 0 || box == &movieBox || box->sizeForm == SizeForm::ToEnd)
            splices.push_back(sizePatch(*box, static_cast<std::uint64_t>(static_cast<std::int64_t>(box->size) + change)));
        // A last child that runs to the end of a box that changes size would
        // change with it; it keeps its size, stated explicitly.
        if (!box->children.empty()) {
            const Box& last = box->children.back();
            if (last.sizeForm == SizeForm::ToEnd && !growth.contains(&last))
                splices.push_back(sizePatch(last, last.size));
        }
    }
}

ByteVector applySplices(ByteView movie, std::vector<Splice> splices)
{
    std::stable_sort(splices.begin(), splices.end(), [](const Splice& a, const Splice& b) { return a.begin < b.begin; });
    ByteVector out;
    out.reserve(movie.size() + 1024);
    std::uint64_t copied = 0;
    for (const Splice& splice : splices) {
        if (splice.begin < copied || splice.end > movie.size())
            throw Problem("the movie box cannot be rewritten safely");
        appendBytes(out, movie.subspan(copied, splice.begin - copied));
        appendBytes(out, splice.bytes);
        copied = splice.end;
    }
    appendBytes(out, movie.subspan(copied));
    return out;
}

} // namespace

ByteVector renderRetitledMovie(ByteView movie, const Box& movieBox, const TitlePlaces& places,
                               std::u16string_view title)
{
    // The limit is in UTF-16 units; the user counts characters, and a
    // character beyond the basic plane takes two units.
    if (title.size() > maxTitleUnits)
        throw Problem("the title is too long (" + std::to_string(characterCount(title)) + " characters; at most " +
                      std::to_string(charactersFitting(title, maxTitleUnits)) + " of these fit)");
    std::vector<Splice> splices;
    addHandheldEdits(splices, movieBox, places, title);
    addStandardEdits(splices, movieBox, places, title);
    addSizePatches(splices, movieBox);
    return applySplices(movie, std::move(splices));
}

} // namespace psptitle
