// Opens arbitrary bytes and saves several titles into them in a row,
// opening the file again after each save. A save that succeeds must read
// back its title from a file that still opens, may leave no more dead
// space than the input had plus one movie box and 64 KiB, and must keep
// every other box (the media data above all) byte for byte in its place;
// a save that fails must leave every byte as it was.

#include "psptitle/FileLayout.h"
#include "psptitle/FileSpace.h"
#include "psptitle/MemoryStorage.h"
#include "psptitle/TitleLibSeam.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

const std::string path = "/fuzz/video.MP4";
constexpr std::size_t savesPerInput = 3;
constexpr std::uint64_t slack = 64 * 1024;

// The titles come from the input's last bytes, so the fuzzer can steer
// their lengths (and reach the longest ones) and their characters: three
// bytes a title, two of length and one of character.
std::u16string titleFrom(const std::uint8_t* data, std::size_t size, std::size_t which)
{
    const std::size_t at = 3 * (which + 1);
    if (size < at)
        return which % 2 == 0 ? u"T" : u"Title";
    const std::uint8_t* bytes = data + size - at;
    const std::size_t length = (std::size_t{bytes[1]} << 8 | bytes[0]) % 33000;
    const auto character = static_cast<char16_t>(bytes[2] == 0 ? 0x1F : bytes[2] * 257);
    return std::u16string(length, character);
}

struct Room {
    std::uint64_t dead = 0;
    std::uint64_t movie = 0;
    std::vector<psptitle::Span> kept;   // boxes a save must not touch
};

// How the file at `path` uses its space; it opened, so its layout reads.
Room roomOf(psptitle::MemoryStorage& storage)
{
    std::unique_ptr<psptitle::FileAccess> file;
    if (storage.openForReading(path, file) != 0)
        std::abort();
    const psptitle::FileLayout layout = psptitle::readFileLayout(*file, storage.contents(path).size());
    const psptitle::FileSpace space = psptitle::mapFileSpace(layout);
    Room room{space.deadBytes(), space.live.size, {}};
    for (std::size_t i = 0; i < layout.boxes.size(); ++i) {
        if (!layout.isDead(i) && i != *layout.movie)
            room.kept.push_back({layout.boxes[i].offset, layout.boxes[i].end()});
    }
    return room;
}

bool keptInPlace(const Room& room, const psptitle::MemoryStorage::Bytes& before,
                 const psptitle::MemoryStorage::Bytes& after)
{
    return std::all_of(room.kept.begin(), room.kept.end(), [&](const psptitle::Span& box) {
        return box.end <= after.size() && std::equal(before.begin() + static_cast<std::ptrdiff_t>(box.begin),
                                                     before.begin() + static_cast<std::ptrdiff_t>(box.end),
                                                     after.begin() + static_cast<std::ptrdiff_t>(box.begin));
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto owned = std::make_unique<psptitle::MemoryStorage>();
    psptitle::MemoryStorage& storage = *owned;
    const auto* first = reinterpret_cast<const std::byte*>(data);
    storage.put(path, psptitle::MemoryStorage::Bytes(first, first + size));
    TitleLib* lib = TitleLibCreateWithStorage(std::move(owned));
    if (TitleLibOpen(lib, path.c_str()) != 0) {
        const Room start = roomOf(storage);
        const psptitle::MemoryStorage::Bytes original = storage.contents(path);
        for (std::size_t which = 0; which < savesPerInput; ++which) {
            const std::u16string title = titleFrom(data, size, which);
            const psptitle::MemoryStorage::Bytes before = storage.contents(path);
            if (TitleLibSetTitle(lib, title.c_str()) == 0)
                std::abort();
            if (TitleLibSave(lib) == 0) {
                if (storage.contents(path) != before)
                    std::abort();
                continue;
            }
            TitleLibClose(lib);
            if (TitleLibOpen(lib, path.c_str()) == 0 || std::u16string(TitleLibGetTitle(lib)) != title)
                std::abort();
            const Room now = roomOf(storage);
            if (now.dead > start.dead + std::max(start.movie, now.movie) + slack ||
                !keptInPlace(start, original, storage.contents(path)))
                std::abort();
        }
    }
    TitleLibDestroy(lib);
    return 0;
}
