#include "catalogue/VideoRename.h"

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
    const std::string video = platform::WithExtension(base, ".MP4");

    if (record.NoThumb) {
        if (platform::Exists(video) || platform::RenameNoReplace(record.FullPath, video) != 0)
            return TRenameOutcome::NotRenamed;
        Moved(record, video);
        return TRenameOutcome::Renamed;
    }

    const std::string thumbnail = platform::WithExtension(base, ".THM");
    if (platform::Exists(video) || platform::Exists(thumbnail))
        return TRenameOutcome::NameTaken;
    if (platform::RenameNoReplace(record.FullPath, video) != 0)
        return TRenameOutcome::Failed;
    if (platform::RenameNoReplace(record.ThumbPath, thumbnail) != 0) {
        // The pair keeps one stem: the video goes back where it was.
        (void)platform::RenameNoReplace(video, record.FullPath);
        return TRenameOutcome::Failed;
    }
    Moved(record, video);
    record.ThumbPath = thumbnail;
    return TRenameOutcome::Renamed;
}
