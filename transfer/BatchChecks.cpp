#include "transfer/BatchChecks.h"

#include "platform/MountLookup.h"

TBatchVerdict CheckBatch(const TBatchSnapshot& snapshot, const std::string& folder, double freeBytes)
{
    if (!HasRoomFor(snapshot.NeededBytes, freeBytes))
        return {TBatchCheck::NoRoom, nullptr, {}};
    if (const std::optional<MountEntry> mount = MountHolding(folder)) {
        if (const TFileInfo* tooLarge = FirstTooLargeFor(snapshot, mount->fsType))
            return {TBatchCheck::TooLarge, tooLarge, mount->fsType};
    }
    return {};
}
