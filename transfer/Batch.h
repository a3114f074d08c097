#pragma once

// What a batch works from: the snapshot of the source pane's selected
// rows, each with a copy of its record, taken once before the batch
// starts, and the bytes the batch will need on its destination.

#include "catalogue/PaneModel.h"
#include "catalogue/uClass.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct TBatchItem {
    TBatchItem() = default;
    TBatchItem(int row, TFileInfo info, std::shared_ptr<const TPlayVerdict> verdict = nullptr)
        : Row(row), Info(std::move(info)), Verdict(std::move(verdict))
    {
    }

    int Row = -1;     // the row in the source pane; -1 outside a window
    TFileInfo Info;   // the working record
    // The row's playability verdict, settled or not; null outside a window.
    std::shared_ptr<const TPlayVerdict> Verdict;
    // Converted on the way (see ConversionPlan.h) rather than copied, and
    // the most bytes the converted video takes.
    bool Convert = false;
    double ConvertedSize = 0;

    // The bytes the video takes at its destination.
    double ArrivingSize() const { return Convert ? ConvertedSize : Info.Size; }
};

struct TBatchSnapshot {
    std::vector<TBatchItem> Items;  // ascending row order
    double NeededBytes = 0;         // every arriving video's and thumbnail's size
};

// The selected rows of `pane`, top to bottom.
TBatchSnapshot TakeSnapshot(const TPaneModel& pane);

// Adds one video to a snapshot built by hand (for scripts).
void AddToSnapshot(TBatchSnapshot& snapshot, TBatchItem item);

// True when `neededBytes` fit into `freeBytes`; equal values fit, and an
// unknown free space (-1) fits nothing.
bool HasRoomFor(double neededBytes, double freeBytes);

// The first video of the snapshot that a file system of type `fsType`
// cannot hold (4 GiB or more on FAT, as it arrives: a converted video
// counts its converted size); nullptr when all fit.
const TFileInfo* FirstTooLargeFor(const TBatchSnapshot& snapshot, const std::string& fsType);
