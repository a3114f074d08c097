// The folder scan: one record per video of a folder.

#include "catalogue/uClass.h"

#include "catalogue/CompanionFiles.h"
#include "catalogue/HandheldFolder.h"
#include "catalogue/PSPTitle.h"
#include "platform/FileSystem.h"

#include <algorithm>

namespace {

// From the last '.' of the name on; empty when there is none.
std::string extensionOf(const std::string& name)
{
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

// The entry's own facts, following a symbolic link when it leads
// somewhere. Empty when the entry vanished since the listing.
std::optional<platform::FileStatus> entryStatus(const std::string& path)
{
    if (auto target = platform::StatPath(path))
        return target;
    return platform::StatLink(path);
}

// Fills `record` for the video `name` of the folder `base` (with '/').
void describeEntry(const std::string& base, const std::string& name, const platform::FileStatus& status,
                   const TCompanionIndex& thumbnails, const TListFiles& scanner, TFileInfo& record)
{
    const std::string fullPath = base + name;
    const bool isFile = status.Kind == platform::EntryKind::RegularFile;
    record.FileName = name;
    record.FullPath = fullPath;
    // A folder named like a video is listed with no size; only a
    // regular file is handed to the title reader (a pipe would block).
    record.Size = isFile ? static_cast<double>(status.Size) : 0.0;
    record.WriteTime = FileTimeToDateTime(status.Modified);
    std::optional<std::string> title = isFile ? PSPTitle::ReadTitle(fullPath) : std::nullopt;
    record.HasTitle = title.has_value();
    record.Title = title ? std::move(*title) : std::string();

    if (auto thumbnail = thumbnails.Find(base, platform::WithExtension(name, scanner.ThumbExt))) {
        record.ThumbPath = std::move(thumbnail->Path);
        record.ThumbSize = thumbnail->Size;
        record.NoThumb = false;
    } else {
        record.ThumbPath = scanner.DefaultThumb;
        record.ThumbSize = 0;
        record.NoThumb = true;
    }
}

} // namespace

int TListFiles::ScanFolder(const std::string& folder, int& highest, bool trackHighest)
{
    if (trackHighest)
        highest = 0;
    if (!platform::IsDirectory(folder))
        return 0;
    if (OnIdle)
        OnIdle();

    const std::string base = platform::WithTrailingSlash(folder);
    const auto names = platform::ListDirectory(base);
    if (!names)
        return 0;
    const TCompanionIndex thumbnails(*names, ThumbExt);

    int count = 0;
    TFileInfo record;
    for (const std::string& name : *names) {
        if (platform::AsciiUpper(extensionOf(name)) != VideoExt)
            continue;
        const auto status = entryStatus(base + name);
        if (!status)
            continue;
        ++count;
        if (trackHighest)
            highest = std::max(highest, THandheldFolder::NumberOf(name));
        describeEntry(base, name, *status, thumbnails, *this, record);
        if (OnFile)
            OnFile(record);
    }
    return count;
}

std::optional<TFileInfo> TListFiles::DescribeFile(const std::string& path) const
{
    const auto status = platform::StatPath(path);
    if (!status || status->Kind != platform::EntryKind::RegularFile)
        return std::nullopt;
    const std::string base = platform::FolderOf(path).empty() ? std::string("./") : platform::FolderOf(path);
    const auto names = platform::ListDirectory(base);
    const TCompanionIndex thumbnails(names.value_or(std::vector<std::string>()), ThumbExt);
    TFileInfo record;
    describeEntry(base, platform::NameOf(path), *status, thumbnails, *this, record);
    return record;
}
