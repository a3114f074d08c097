// The folder scan: one record per video of a folder.

#include "catalogue/uClass.h"

#include "catalogue/CompanionFiles.h"
#include "catalogue/HandheldFolder.h"
#include "catalogue/PSPTitle.h"
#include "catalogue/ScannedFolder.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <future>
#include <system_error>

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
                   const TScannedFolder& folder, TFileInfo& record)
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

    if (auto thumbnail = folder.Thumbnails().Find(base, platform::WithExtension(name, folder.ThumbExt()))) {
        record.ThumbPath = std::move(thumbnail->Path);
        record.ThumbSize = thumbnail->Size;
        record.NoThumb = false;
    } else {
        record.ThumbPath = folder.DefaultThumb();
        record.ThumbSize = 0;
        record.NoThumb = true;
    }
}

// A record of a listing-only scan: the name and path, the rest to come.
// The scan's working record is filled by this alone, so its other fields
// keep the values of a new record; its strings keep their buffers.
void listEntry(const std::string& base, const std::string& name,
               const std::shared_ptr<const TScannedFolder>& listing, TFileInfo& record)
{
    record.FileName = name;
    record.FullPath.assign(base).append(name);
    record.ThumbPath = listing->DefaultThumb();
    if (record.Listing != listing)
        record.Listing = listing;
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
    auto names = Entries(base);
    if (!names)
        return 0;
    const auto folderFacts = std::make_shared<const TScannedFolder>(std::move(*names), ThumbExt, DefaultThumb);

    int count = 0;
    TFileInfo record;
    for (const std::string& name : folderFacts->Names()) {
        if (platform::AsciiUpper(extensionOf(name)) != VideoExt)
            continue;
        if (DescribeLater) {
            listEntry(base, name, folderFacts, record);
        } else {
            const auto status = entryStatus(base + name);
            if (!status)
                continue;
            describeEntry(base, name, *status, *folderFacts, record);
        }
        ++count;
        if (trackHighest)
            highest = std::max(highest, THandheldFolder::NumberOf(name));
        if (OnFile)
            OnFile(record);
    }
    return count;
}

void TListFiles::ListAhead(const std::string& folder)
{
    const std::string base = platform::WithTrailingSlash(folder);
    if (FListedAhead.count(base) != 0)
        return;
    try {
        FListedAhead.emplace(base, std::async(std::launch::async, [base] { return platform::ListDirectory(base); }));
    } catch (const std::system_error&) {
        // No thread to be had: the scan reads the folder itself.
    }
}

TListFiles::TEntries TListFiles::Entries(const std::string& base)
{
    const auto ahead = FListedAhead.find(base);
    if (ahead == FListedAhead.end())
        return platform::ListDirectory(base);
    TEntries entries = ahead->second.get();
    FListedAhead.erase(ahead);
    return entries;
}

void DescribeListed(TFileInfo& record)
{
    if (!record.Listing)
        return;
    const std::shared_ptr<const TScannedFolder> listing = std::move(record.Listing);
    record.Listing.reset();
    const std::string name = record.FileName;
    const std::string base = record.FullPath.substr(0, record.FullPath.size() - name.size());
    if (const auto status = entryStatus(record.FullPath)) {
        describeEntry(base, name, *status, *listing, record);
        return;
    }
    record.HasTitle = false;
    record.Title.clear();
    record.Size = 0;
    record.WriteTime.clear();
    record.ThumbPath = listing->DefaultThumb();
    record.ThumbSize = 0;
    record.NoThumb = true;
}

std::optional<TFileInfo> TListFiles::DescribeFile(const std::string& path) const
{
    const auto status = platform::StatPath(path);
    if (!status || status->Kind != platform::EntryKind::RegularFile)
        return std::nullopt;
    const std::string base = platform::FolderOf(path).empty() ? std::string("./") : platform::FolderOf(path);
    const auto names = platform::ListDirectory(base);
    const TScannedFolder folder(names.value_or(std::vector<std::string>()), ThumbExt, DefaultThumb);
    TFileInfo record;
    describeEntry(base, platform::NameOf(path), *status, folder, record);
    return record;
}
