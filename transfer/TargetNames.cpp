#include "transfer/TargetNames.h"

#include "catalogue/uClass.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

namespace {

constexpr int HighestNumber = 99999;

// The names of a folder, folded to upper case, read once per name search.
class TTakenNames {
public:
    explicit TTakenNames(const std::string& folder)
    {
        if (const auto names = platform::ListDirectory(folder)) {
            for (const std::string& name : *names)
                FFolded.insert(platform::AsciiUpper(name));
        }
    }

    bool Contains(const std::string& name) const { return FFolded.count(platform::AsciiUpper(name)) > 0; }

private:
    std::unordered_set<std::string> FFolded;
};

bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsBlank(const std::string& text)
{
    for (char c : text) {
        if (!IsBlankOrControl(c))
            return false;
    }
    return true;
}

} // namespace

std::string HandheldVideoFolder(const std::string& driveRoot)
{
    return platform::WithTrailingSlash(driveRoot) + "MP_ROOT/100MNV01/";
}

std::string HandheldVideoName(int number)
{
    char name[16];
    std::snprintf(name, sizeof name, "M4V%05d.MP4", number % 100000);
    return name;
}

std::string ThumbnailPathFor(const std::string& videoPath)
{
    return platform::WithExtension(videoPath, ".THM");
}

int HighestVideoNumberIn(const std::string& folder)
{
    int highest = 0;
    if (const auto names = platform::ListDirectory(folder)) {
        for (const std::string& name : *names)
            highest = std::max(highest, ParseVideoNumber(name));
    }
    return highest;
}

std::optional<std::string> NextPspFileName(const std::string& folder, int& highestVideoNumber)
{
    const TTakenNames taken(folder);
    int number = highestVideoNumber + 1;
    for (int tried = 0; tried < HighestNumber; ++tried, ++number) {
        if (number > HighestNumber || number < 1)
            number = 1;
        const std::string name = HandheldVideoName(number);
        if (!taken.Contains(name)) {
            highestVideoNumber = number;
            return folder + name;
        }
    }
    return std::nullopt;
}

std::string PcTargetName(const std::string& folder, const std::string& fileName, const std::string& preferred)
{
    const TTakenNames taken(folder);
    const auto isFree = [&taken, &folder](const std::string& name) {
        // A name spelt with other case is taken too; so is anything the
        // listing missed since (the final rename never replaces).
        return !taken.Contains(name) && !platform::Exists(folder + name);
    };
    if (!IsBlank(preferred) && isFree(preferred))
        return folder + preferred;
    if (isFree(fileName))
        return folder + fileName;
    const std::string stem = fileName.size() > 4 ? fileName.substr(0, fileName.size() - 4) : fileName;
    for (unsigned counter = 0;; ++counter) {
        std::string candidate = stem + "_" + std::to_string(counter) + ".MP4";
        if (isFree(candidate))
            return folder + candidate;
    }
}
