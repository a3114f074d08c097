#include "transfer/Deletion.h"

#include "catalogue/ThumbnailUsers.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <exception>

bool DeleteFileIfPresent(const std::string& path)
{
    const int error = platform::RemoveFile(path);
    return error == 0 || error == ENOENT;
}

TBatchResult RunDeletion(const TBatchSnapshot& snapshot, TBatchProgress& progress, const TDeletionHooks& hooks,
                         const std::string& driveMountPoint)
{
    TBatchResult result;
    TThumbnailUsers thumbnailUsers;
    const auto& items = snapshot.Items;
    for (auto item = items.rbegin(); item != items.rend(); ++item) {
        if (hooks.ShouldStop && hooks.ShouldStop()) {
            result.Outcome = TBatchOutcome::Stopped;
            break;
        }
        try {
            progress.NextVideo();
            if (hooks.Report)
                hooks.Report(1, item->Info.FileName);
            const TFileInfo& video = item->Info;
            if (!driveMountPoint.empty() && !IsOnMountedDrive(video.FullPath, driveMountPoint)) {
                result.Outcome = TBatchOutcome::Failed;
                result.FailurePath = video.FullPath;
                result.Error = ENODEV;
                result.FailureText = "cannot delete " + video.FullPath + ": " + driveMountPoint + " is not mounted";
                break;
            }
            const bool thumbnailGoes = !video.NoThumb && !thumbnailUsers.UsedByOthers(video.FullPath, video.ThumbPath);
            if (!DeleteFileIfPresent(video.FullPath)) {
                // The row stays, and so does the thumbnail it shows.
                result.Stayed.push_back(video.FullPath);
            } else {
                thumbnailUsers.Gone(video.FullPath);
                if (thumbnailGoes && !DeleteFileIfPresent(video.ThumbPath))
                    result.Stayed.push_back(video.ThumbPath);
                if (hooks.Deleted)
                    hooks.Deleted(*item);
            }
        } catch (const std::exception& error) {
            result.Outcome = TBatchOutcome::Failed;
            result.FailureText = item->Info.FullPath + ": " + error.what();
            result.FailurePath = item->Info.FullPath;
            break;
        }
        if (hooks.Turn)
            hooks.Turn();
    }
    return result;
}
