// Opens arbitrary bytes, saves a title into them and opens the result
// again. A save that succeeds must read back its title from a file that
// still opens; a save that fails must leave every byte as it was.

#include "psptitle/MemoryStorage.h"
#include "psptitle/TitleLibSeam.h"

#include <cstdlib>
#include <string>

namespace {

const std::string path = "/fuzz/video.MP4";

// The title comes from the input's last bytes, so the fuzzer can steer
// its length (and reach the longest ones) and its characters.
std::u16string titleFrom(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return u"T";
    const std::size_t length = (std::size_t{data[size - 1]} << 8 | data[size - 2]) % 33000;
    std::u16string title(length, u'a');
    for (std::size_t i = 0; i < length && i + 3 < size; ++i)
        title[i] = static_cast<char16_t>(data[size - 3 - i] == 0 ? 0x1F : data[size - 3 - i] * 257);
    return title;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto owned = std::make_unique<psptitle::MemoryStorage>();
    psptitle::MemoryStorage& storage = *owned;
    const auto* first = reinterpret_cast<const std::byte*>(data);
    const psptitle::MemoryStorage::Bytes original(first, first + size);
    storage.put(path, original);
    TitleLib* lib = TitleLibCreateWithStorage(std::move(owned));
    if (TitleLibOpen(lib, path.c_str()) != 0) {
        const std::u16string title = titleFrom(data, size);
        if (TitleLibSetTitle(lib, title.c_str()) == 0)
            std::abort();
        if (TitleLibSave(lib) != 0) {
            TitleLibClose(lib);
            if (TitleLibOpen(lib, path.c_str()) == 0 || std::u16string(TitleLibGetTitle(lib)) != title)
                std::abort();
        } else if (storage.contents(path) != original) {
            std::abort();
        }
    }
    TitleLibDestroy(lib);
    return 0;
}
