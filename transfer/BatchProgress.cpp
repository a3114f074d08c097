#include "transfer/BatchProgress.h"

#include "platform/FileSystem.h"

#include <cmath>

void TBatchProgress::Reset()
{
    FBatchTotal = 0;
    FBatchDone = 0;
}

void TBatchProgress::Start(double total, int count)
{
    FBatchTotal = total;
    FBatchDone = 0;
    FBatchCount = count;
    FBatchIndex = 0;
    FConverting = false;
    FShownIndex = -1;
    FShownPath.clear();
}

bool TBatchProgress::Report(double units, const std::string& path)
{
    FBatchDone += units;
    if (FShownIndex == FBatchIndex && FShownPath == path)
        return false;
    FShownIndex = FBatchIndex;
    FShownPath = path;
    FStatusText = (FConverting ? "Converting (" : "File Name(") + std::to_string(FBatchIndex) + "/"
                + std::to_string(FBatchCount) + "):" + platform::NameOf(path);
    return true;
}

int TBatchProgress::Percent() const
{
    return BatchPercent(FBatchDone, FBatchTotal);
}

int BatchPercent(double done, double total)
{
    if (!(total > 0))
        return done > 0 ? 100 : 0;
    const double percent = done * 100 / total;
    if (!(percent > 0))
        return 0;
    if (percent >= 100)
        return 100;
    // nearbyint rounds halves to even in the default rounding mode.
    return static_cast<int>(std::nearbyint(percent));
}
