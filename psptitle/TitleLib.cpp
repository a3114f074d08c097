// The C interface of the title library over TitleDocument. Nothing thrown
// inside crosses it: every failure becomes the handle's error text.

#include "psptitle/Problem.h"
#include "psptitle/TitleDocument.h"
#include "psptitle/TitleLibSeam.h"
#include "psptitle/psptitle.h"

#include <new>
#include <optional>

struct TitleLib {
    std::unique_ptr<psptitle::Storage> storage;
    std::unique_ptr<psptitle::TitleDocument> document;
    std::string displayName;                    // the open file's name
    std::optional<std::u16string> newTitle;     // from TitleLibSetTitle
    std::u16string shownTitle;                  // what TitleLibGetTitle returned
    std::string errorText;
};

namespace {

std::string baseName(const char* path)
{
    const std::string whole = path != nullptr ? path : "";
    const auto slash = whole.find_last_of('/');
    return slash == std::string::npos ? whole : whole.substr(slash + 1);
}

// Runs `work`, turning anything it throws into the handle's error text.
template <typename Work>
int guarded(TitleLib& lib, Work&& work)
{
    try {
        work();
        return 1;
    } catch (const psptitle::Problem& problem) {
        lib.errorText = lib.displayName + ": " + problem.what();
    } catch (const std::bad_alloc&) {
        lib.errorText = lib.displayName + ": not enough memory to read the file";
    } catch (const std::exception& other) {
        lib.errorText = lib.displayName + ": " + other.what();
    }
    return 0;
}

} // namespace

TitleLib* TitleLibCreateWithStorage(std::unique_ptr<psptitle::Storage> storage)
{
    try {
        auto lib = std::make_unique<TitleLib>();
        lib->storage = std::move(storage);
        return lib.release();  // the caller owns it until TitleLibDestroy
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

extern "C" {

TitleLib* TitleLibCreate(void)
{
    try {
        return TitleLibCreateWithStorage(psptitle::makePosixStorage());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int TitleLibOpen(TitleLib* lib, const char* path)
{
    if (lib == nullptr)
        return 0;
    TitleLibClose(lib);
    lib->displayName = baseName(path);
    if (path == nullptr || *path == '\0') {
        lib->errorText = "no file was named";
        return 0;
    }
    return guarded(*lib, [&] { lib->document = std::make_unique<psptitle::TitleDocument>(*lib->storage, path); });
}

int TitleLibSave(TitleLib* lib)
{
    if (lib == nullptr)
        return 0;
    if (!lib->document) {
        lib->errorText = "no video is open, so no title can be saved";
        return 0;
    }
    return guarded(*lib, [&] {
        lib->document->save(lib->newTitle.value_or(lib->document->title()));
        lib->newTitle.reset();
    });
}

int TitleLibSetTitle(TitleLib* lib, const char16_t* title)
{
    if (lib == nullptr || !lib->document || title == nullptr)
        return 0;
    return guarded(*lib, [&] { lib->newTitle = std::u16string(title); });
}

const char16_t* TitleLibGetTitle(TitleLib* lib)
{
    if (lib == nullptr)
        return u"";
    lib->shownTitle = lib->document ? lib->document->title() : std::u16string();
    return lib->shownTitle.c_str();
}

const char* TitleLibErrorText(TitleLib* lib)
{
    return lib != nullptr ? lib->errorText.c_str() : "";
}

void TitleLibClearError(TitleLib* lib)
{
    if (lib != nullptr)
        lib->errorText.clear();
}

void TitleLibClose(TitleLib* lib)
{
    if (lib == nullptr)
        return;
    lib->document.reset();
    lib->newTitle.reset();
}

void TitleLibDestroy(TitleLib* lib)
{
    const std::unique_ptr<TitleLib> owned(lib);
}

} // extern "C"
