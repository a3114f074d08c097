#pragma once

// The checks every transfer passes before its first byte moves, the same
// for the window and for vantrel-tool: room on the destination for every
// video and thumbnail, then the destination file system's file size limit
// (4 GiB on FAT). Each caller presents the verdict in its own words.

#include "transfer/Batch.h"

#include <string>

enum class TBatchCheck { Go, NoRoom, TooLarge };

struct [[nodiscard]] TBatchVerdict {
    TBatchCheck Check = TBatchCheck::Go;
    // TooLarge: the first video the file system cannot hold, and its type.
    const TFileInfo* TooLarge = nullptr;
    std::string FsType;
};

// `folder`: where the videos go; `freeBytes`: the free space there (-1
// when unknown, which holds nothing).
TBatchVerdict CheckBatch(const TBatchSnapshot& snapshot, const std::string& folder, double freeBytes);
