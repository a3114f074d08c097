#include "catalogue/VideoRename.h"

#include "catalogue/HandheldFolder.h"
#include "catalogue/ThumbnailUsers.h"
#include "platform/FileSystem.h"

namespace {

bool IsPlainName(const std::string& typed)
{
    return typed.find('/') == std::string::npos && typed.find('\0') == std::string::npos;
}

void Moved(TFileInfo& record, const std::string& video)
{
    record.FullPath = video;
    record.NewPath = video;
    record.FileName = platform::NameOf(video);
}

} // namespace

TRenameOutcome RenameVideo(TFileInfo& record, const std::string& typed)
{
    if (!IsPlainName(typed))
        return TRenameOutcome::Failed;
    const std::string base = platform::FolderOf(record.FullPath) + typed;
    const std::string video = platform::WithExtension(base, kVideoExtension);

    if (record.NoThumb) {
        if (platform::Exists(video) || platform::RenameNoReplace(record.FullPath, video) != 0)
            return TRenameOutcome::NotRenamed;
        Moved(record, video);
        return TRenameOutcome::Renamed;
    }

    const std::string thumbnail = platform::WithExtension(base, kThumbnailExtension);
    if (platform::Exists(video) || platform::Exists(thumbnail))
        return TRenameOutcome::NameTaken;
    const bool shared = TThumbnailUsers().UsedByOthers(record.FullPath, record.ThumbPath);
    if (platform::RenameNoReplace(record.FullPath, video) != 0)
        return TRenameOutcome::Failed;
    const int followed = shared ? platform::CopyFileExclusive(record.ThumbPath, thumbnail)
                                : platform::RenameNoReplace(record.ThumbPath, thumbnail);
    if (followed != 0) {
        // The pair keeps one stem: the video goes back where it was.
        if (platform::RenameNoReplace(video, record.FullPath) == 0)
            return TRenameOutcome::Failed;
        Moved(record, video);
        record.NoThumb = true;
        return TRenameOutcome::VideoOnly;
    }
    Moved(record, video);
    record.ThumbPath = thumbnail;
    return TRenameOutcome::Renamed;
}

std::string SplitRenameText(const std::string& renamedVideo, const std::string& thumbnailLeft)
{
    return "The video was renamed to " + renamedVideo + ", but its thumbnail " + thumbnailLeft
         + " could not follow, and the video could not get its old name back.";
}
