#pragma once

// The transfer engine: copies or moves the videos of a snapshot, each
// with its thumbnail, to the handheld's video folder under the handheld's
// own names, or to a computer folder under the names they had there.
// The window and vantrel-tool both drive it; it owns no widget and shows
// nothing itself, but tells its caller through hooks what happened.
//
// First the leftovers of copies into the destination folder that were
// killed part-way are removed. Then, for each video, in order: a free
// destination name; the video through the chunked copier (flushed to the
// medium under a temporary name, then named); the thumbnail, copied whole
// the same way and never over an existing file (to the handheld, a video
// without one gets one made from its pictures); only then, on a move,
// the source video and its thumbnail are deleted. A thumbnail that
// another video of its folder also shows stays for that one. A source
// that cannot be deleted stays, and is named in the result. The batch
// stops at the first video that fails; what was done before it stays.
//
// The flush and naming of a video's copy, and its thumbnail, take place
// on a thread of their own while the next video copies; that video's
// arrival (its deleted source, its hook) is told once they are done, and
// the batch returns only when every video it copied is on the medium. A
// video whose copy cannot be flushed or named fails the batch as its
// copy would have, and the copy that went on meanwhile is dropped.

#include "transfer/Batch.h"
#include "transfer/BatchProgress.h"

#include <functional>
#include <string>
#include <vector>

class TCopyFile;

enum class TTransferWay { ToHandheld, ToComputer };
enum class TTransferKind { Copy, Move };

enum class TBatchOutcome { Done, Failed, Stopped };

// A thumbnail that did not travel with its video, and why.
struct TLeftBehind {
    std::string Path;
    std::string Reason;
};

struct [[nodiscard]] TBatchResult {
    TBatchOutcome Outcome = TBatchOutcome::Done;
    // What failed, naming the file (empty unless Failed).
    std::string FailureText;
    // The file the failure is about and the errno of the failed step
    // (0 when no system call failed).
    std::string FailurePath;
    int Error = 0;
    // A box has told the user of the failure already.
    bool FailureShown = false;
    // Files a move or a deletion could not delete; they are still there.
    std::vector<std::string> Stayed;
    // Thumbnails that could not be copied; their videos arrived without.
    std::vector<TLeftBehind> ThumbnailsLeft;
};

// What every batch tells its caller and asks it.
struct TBatchHooks {
    // Units done (bytes of a thumbnail, or one deleted file) on `path`.
    std::function<void(double units, const std::string& path)> Report;
    // Asked before each video and while a video copies: true stops the
    // batch (the user pressed Esc, or the medium went away). The video
    // under way leaves no partial file.
    std::function<bool()> ShouldStop;
};

struct TTransferHooks : TBatchHooks {
    // One video arrived: the source item and the record of the new file
    // (its row's record). `sourceDeleted`: a move deleted the source
    // video, so its row goes.
    std::function<void(const TBatchItem& source, const TFileInfo& arrived, bool sourceDeleted)> Arrived;
};

struct TTransferRequest {
    TTransferWay Way = TTransferWay::ToHandheld;
    TTransferKind Kind = TTransferKind::Copy;
    // The destination folder, with a trailing '/'.
    std::string Folder;
    // To the handheld: the last number known to be used; it advances with
    // every name handed out.
    int* HighestVideoNumber = nullptr;
    // The mount point of the drive the folder must be on (the handheld's);
    // empty when it may be anywhere. Nothing is written once that drive
    // has left the mount table: its folder is then the computer's own.
    std::string DriveMountPoint;
    // The same for the drive the sources are on: a move deletes nothing
    // below it once it has left the mount table.
    std::string SourceDriveMountPoint;
};

// Runs the batch: a move from the last item to the first (a removed row
// never shifts the rows still to come), a copy from the first to the
// last. The copier's progress goes to its own OnProgress; thumbnails go
// to hooks.Report. `progress` counts the videos (its index).
TBatchResult RunTransfer(const TTransferRequest& request, const TBatchSnapshot& snapshot, TCopyFile& copier,
                         TBatchProgress& progress, const TTransferHooks& hooks);
