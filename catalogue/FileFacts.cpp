// The time text and the size of a file as the records carry them.

#include "catalogue/uClass.h"

#include "platform/FileSystem.h"

#include <cstdio>

std::string FileTimeToDateTime(std::time_t modified)
{
    const auto local = platform::LocalTime(modified);
    if (!local)
        return std::string();
    // Fixed width and year first, so comparing the texts orders by time.
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d,%02d:%02d:%02d", local->tm_year + 1900, local->tm_mon + 1,
                  local->tm_mday, local->tm_hour, local->tm_min, local->tm_sec);
    return text;
}

std::int64_t FileSizeOf(const std::string& path)
{
    const auto status = platform::StatPath(path);
    if (!status || status->Kind != platform::EntryKind::RegularFile)
        return -1;
    return status->Size;
}
