#include "transfer/Deletion.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <exception>

bool DeleteFileIfPresent(const std::string& path)
{
    const int error = platform::RemoveFile(path);
    return error == 0 || error == ENOENT;
}

TBatchResult RunDeletion(const TBatchSnapshot& snapshot, TBatchProgress& progress, const TDeletionHooks& hooks)
{
    TBatchResult result;
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
            if (!DeleteFileIfPresent(item->Info.FullPath)) {
                // The row stays, and so does the thumbnail it shows.
                result.Stayed.push_back(item->Info.FullPath);
            } else {
                if (!item->Info.NoThumb && !DeleteFileIfPresent(item->Info.ThumbPath))
                    result.Stayed.push_back(item->Info.ThumbPath);
                if (hooks.Deleted)
                    hooks.Deleted(*item);
            }
        } catch (const std::exception& error) {
            result.Outcome = TBatchOutcome::Failed;
            result.FailureText = item->Info.FullPath + ": " + error.what();
            break;
        }
        if (hooks.Turn)
            hooks.Turn();
    }
    return result;
}
