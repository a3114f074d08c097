#include "catalogue/HandheldFolder.h"

#include "catalogue/TakenNames.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdio>

THandheldFolder THandheldFolder::OnDrive(const std::string& driveRoot)
{
    return THandheldFolder(platform::WithTrailingSlash(driveRoot) + "MP_ROOT/100MNV01/");
}

THandheldFolder::THandheldFolder(const std::string& path) : FPath(platform::WithTrailingSlash(path)) {}

int THandheldFolder::HighestNumber() const
{
    int highest = 0;
    if (const auto names = platform::ListDirectory(FPath)) {
        for (const std::string& name : *names)
            highest = std::max(highest, NumberOf(name));
    }
    return highest;
}

std::optional<std::string> THandheldFolder::NextFreeVideo(int& highestNumber) const
{
    const TTakenNames taken(FPath);
    int number = highestNumber + 1;
    for (int tried = 0; tried < kHighestNumber; ++tried, ++number) {
        if (number > kHighestNumber || number < 1)
            number = 1;
        const std::string name = VideoName(number);
        if (!taken.Contains(name)) {
            highestNumber = number;
            return FPath + name;
        }
    }
    return std::nullopt;
}

std::string THandheldFolder::VideoName(int number)
{
    char name[16];
    std::snprintf(name, sizeof name, "M4V%05d%s", number % (kHighestNumber + 1), kVideoExtension);
    return name;
}

int THandheldFolder::NumberOf(const std::string& name)
{
    constexpr std::size_t NameLength = 12;  // M4V + 5 digits + .MP4
    if (name.size() != NameLength)
        return -1;
    const std::string upper = platform::AsciiUpper(name);
    if (upper.compare(0, 3, "M4V") != 0 || upper.compare(8, 4, kVideoExtension) != 0)
        return -1;
    // Only plain digits: the names we write have five of them with
    // leading zeros, and a sign or blank would make two names one number.
    int number = 0;
    for (std::size_t i = 3; i < 8; ++i) {
        const char c = upper[i];
        if (c < '0' || c > '9')
            return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

std::string ThumbnailPathFor(const std::string& videoPath)
{
    return platform::WithExtension(videoPath, kThumbnailExtension);
}
