// Opens arbitrary bytes as a video: whatever they are, the library must
// answer with a title or an error text, within bounds and without hanging.

#include "psptitle/MemoryStorage.h"
#include "psptitle/TitleLibSeam.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto storage = std::make_unique<psptitle::MemoryStorage>();
    const auto* first = reinterpret_cast<const std::byte*>(data);
    storage->put("/fuzz/video.MP4", psptitle::MemoryStorage::Bytes(first, first + size));
    TitleLib* lib = TitleLibCreateWithStorage(std::move(storage));
    if (TitleLibOpen(lib, "/fuzz/video.MP4") != 0) {
        const char16_t* title = TitleLibGetTitle(lib);
        std::size_t length = 0;
        while (title[length] != 0)
            ++length;
        if (length > size)
            std::abort();  // a title cannot hold more units than the file has bytes
    } else if (std::strlen(TitleLibErrorText(lib)) == 0) {
        std::abort();      // a refusal always says why
    }
    TitleLibDestroy(lib);
    return 0;
}
