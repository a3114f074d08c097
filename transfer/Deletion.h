#pragma once

// Deletes the videos of a snapshot, each with its thumbnail, from the
// handheld, from the last item to the first. A video that cannot be
// deleted keeps its row and is named in the result; its thumbnail is
// kept with it, and so is a thumbnail that another video of the folder
// also shows. Nothing is deleted once the drive at `driveMountPoint`
// (when given) has left the mount table: the batch fails there, naming
// the video, and the videos still to come stay.

#include "transfer/Transfer.h"

struct TDeletionHooks : TBatchHooks {
    // The video of `item` is gone: its row goes.
    std::function<void(const TBatchItem& item)> Deleted;
    // One turn of the message loop after each file, so Esc is heard.
    std::function<void()> Turn;
};

TBatchResult RunDeletion(const TBatchSnapshot& snapshot, TBatchProgress& progress, const TDeletionHooks& hooks,
                         const std::string& driveMountPoint = {});

// Deletes one file. True when it is gone afterwards (a file that was
// already gone counts as deleted).
bool DeleteFileIfPresent(const std::string& path);
