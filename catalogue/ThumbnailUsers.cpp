#include "catalogue/ThumbnailUsers.h"

#include "catalogue/CompanionFiles.h"
#include "catalogue/HandheldFolder.h"
#include "platform/FileSystem.h"

namespace {


bool isVideoName(const std::string& name)
{
    const auto dot = name.find_last_of('.');
    return dot != std::string::npos && platform::EqualsIgnoreAsciiCase(name.substr(dot), kVideoExtension);
}

} // namespace

TThumbnailUsers::TFolder& TThumbnailUsers::FolderOf(const std::string& videoPath)
{
    std::string base = platform::FolderOf(videoPath);
    if (base.empty())
        base = "./";
    const auto known = FFolders.find(base);
    if (known != FFolders.end())
        return known->second;

    TFolder& folder = FFolders[base];
    const auto names = platform::ListDirectory(base);
    if (!names)
        return folder;
    const TCompanionIndex thumbnails(*names, kThumbnailExtension);
    for (const std::string& name : *names) {
        if (!isVideoName(name))
            continue;
        if (const auto found = thumbnails.Find(base, platform::WithExtension(name, kThumbnailExtension))) {
            const std::string video = platform::FolderOf(videoPath) + name;
            folder.UsersByThumb[found->Path].insert(video);
            folder.ThumbByVideo[video] = found->Path;
        }
    }
    return folder;
}

bool TThumbnailUsers::UsedByOthers(const std::string& videoPath, const std::string& thumbPath)
{
    const TFolder& folder = FolderOf(videoPath);
    const auto users = folder.UsersByThumb.find(thumbPath);
    if (users == folder.UsersByThumb.end())
        return false;
    for (const std::string& user : users->second) {
        if (user != videoPath)
            return true;
    }
    return false;
}

void TThumbnailUsers::Gone(const std::string& videoPath)
{
    TFolder& folder = FolderOf(videoPath);
    const auto thumb = folder.ThumbByVideo.find(videoPath);
    if (thumb == folder.ThumbByVideo.end())
        return;
    folder.UsersByThumb[thumb->second].erase(videoPath);
    folder.ThumbByVideo.erase(thumb);
}

void TThumbnailUsers::Added(const std::string& videoPath, const std::string& thumbPath)
{
    TFolder& folder = FolderOf(videoPath);
    Gone(videoPath);
    folder.UsersByThumb[thumbPath].insert(videoPath);
    folder.ThumbByVideo[videoPath] = thumbPath;
}
