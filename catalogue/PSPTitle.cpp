// The binding over the title library: one process-wide handle, used in the
// read and write flows exactly as the program's callers expect.

#include "catalogue/PSPTitle.h"

#include "psptitle/Utf16.h"
#include "psptitle/psptitle.h"

#include <memory>

namespace PSPTitle {
namespace {

struct LibraryDeleter {
    void operator()(TitleLib* lib) const { TitleLibDestroy(lib); }
};

std::unique_ptr<TitleLib, LibraryDeleter>& handleSlot()
{
    static std::unique_ptr<TitleLib, LibraryDeleter> slot;
    return slot;
}

// Tools and tests read titles without a main window; the handle is then
// made on first use, once.
TitleLib* handle()
{
    auto& slot = handleSlot();
    if (!slot)
        slot.reset(TitleLibCreate());
    return slot.get();
}

// The name the library puts in front of its texts.
std::string fileNameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string takeErrorText(TitleLib* lib)
{
    std::string text = TitleLibErrorText(lib);
    TitleLibClearError(lib);
    return text;
}

} // namespace

void CreateLibrary()
{
    handle();
}

void DestroyLibrary()
{
    handleSlot().reset();
}

std::optional<std::string> ReadTitle(const std::string& path)
{
    TitleLib* lib = handle();
    if (lib == nullptr || TitleLibOpen(lib, path.c_str()) == 0)
        return std::nullopt;
    std::string title = psptitle::utf16ToUtf8(TitleLibGetTitle(lib));
    TitleLibClose(lib);
    return title;
}

std::optional<std::string> ReadTitle(const std::string& path, std::string& errorText)
{
    std::optional<std::string> title = ReadTitle(path);
    TitleLib* lib = handle();
    if (!title)
        errorText = lib != nullptr ? takeErrorText(lib) : path + ": not enough memory for the title library";
    return title;
}

SaveResult WriteTitle(const std::string& path, const std::string& title)
{
    // A title that would not reach the file exactly is refused before the
    // file is even opened.
    std::string problem;
    const std::optional<std::u16string> wide = psptitle::strictUtf8ToUtf16(title, problem);
    if (!wide)
        return {SaveResult::Status::Refused, fileNameOf(path) + ": " + problem + "; the title was not saved"};
    TitleLib* lib = handle();
    if (lib == nullptr)
        return {SaveResult::Status::OpenFailed, path + ": not enough memory for the title library"};
    if (TitleLibOpen(lib, path.c_str()) == 0)
        return {SaveResult::Status::OpenFailed, takeErrorText(lib)};
    SaveResult result;
    if (TitleLibSetTitle(lib, wide->c_str()) == 0 || TitleLibSave(lib) == 0)
        result = {SaveResult::Status::SaveFailed, takeErrorText(lib)};
    TitleLibClose(lib);
    return result;
}

} // namespace PSPTitle
