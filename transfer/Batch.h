#pragma once

// What a batch works from: the snapshot of the source pane's selected
// rows, each with a copy of its record, taken once before the batch
// starts, and the bytes the batch will need on its destination.

#include "catalogue/PaneModel.h"
#include "catalogue/uClass.h"

#include <optional>
#include <string>
#include <vector>

struct TBatchItem {
    int Row = -1;     // the row in the source pane; -1 outside a window
    TFileInfo Info;   // the working record
};

struct TBatchSnapshot {
    std::vector<TBatchItem> Items;  // ascending row order
    double NeededBytes = 0;         // every video's and thumbnail's size
};

// The selected rows of `pane`, top to bottom.
TBatchSnapshot TakeSnapshot(const TPaneModel& pane);

// Adds one video to a snapshot built by hand (for scripts).
void AddToSnapshot(TBatchSnapshot& snapshot, TBatchItem item);

// True when `neededBytes` fit into `freeBytes`; equal values fit, and an
// unknown free space (-1) fits nothing.
bool HasRoomFor(double neededBytes, double freeBytes);

// The first video of the snapshot that a file system of type `fsType`
// cannot hold (4 GiB or more on FAT); nullptr when all fit.
const TFileInfo* FirstTooLargeFor(const TBatchSnapshot& snapshot, const std::string& fsType);
