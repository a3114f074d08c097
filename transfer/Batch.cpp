#include "transfer/Batch.h"

#include "platform/MountLookup.h"

namespace {

// FAT keeps a file's size in 32 bits.
constexpr double FatLargestFile = 4294967295.0;

} // namespace

TBatchSnapshot TakeSnapshot(const TPaneModel& pane)
{
    TBatchSnapshot snapshot;
    for (int row = 0; row < pane.RowCount(); ++row) {
        if (pane.Row(row).Selected)
            AddToSnapshot(snapshot, TBatchItem{row, pane.RecordAt(row), pane.Row(row).Playability});
    }
    return snapshot;
}

void AddToSnapshot(TBatchSnapshot& snapshot, TBatchItem item)
{
    snapshot.NeededBytes += item.ArrivingSize() + static_cast<double>(item.Info.ThumbSize);
    snapshot.Items.push_back(std::move(item));
}

bool HasRoomFor(double neededBytes, double freeBytes)
{
    return neededBytes <= freeBytes;
}

const TFileInfo* FirstTooLargeFor(const TBatchSnapshot& snapshot, const std::string& fsType)
{
    if (!LimitsFilesBelow4GiB(fsType))
        return nullptr;
    for (const TBatchItem& item : snapshot.Items) {
        if (item.ArrivingSize() > FatLargestFile)
            return &item.Info;
    }
    return nullptr;
}
