#include "transfer/BatchProgress.h"

#include "platform/FileSystem.h"

#include <cmath>

void TBatchProgress::Reset()
{
    FBatchTotal = 0;
    FBatchDone = 0;
    FPercentHoldsBelow = -1;
}

void TBatchProgress::Start(double total, int count)
{
    FBatchTotal = total;
    FBatchDone = 0;
    FPercentHoldsBelow = -1;
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
    // The done count only grows within a batch, so the percentage holds
    // until it nears the next half step (a hair early, so rounding never
    // lets a step be missed).
    if (FBatchDone < FPercentHoldsBelow)
        return FPercent;
    FPercent = BatchPercent(FBatchDone, FBatchTotal);
    if (FBatchTotal > 0 && FPercent < 100)
        FPercentHoldsBelow = (FPercent + 0.5) * FBatchTotal / 100 * (1 - 1e-9);
    else
        FPercentHoldsBelow = FPercent == 100 ? HUGE_VAL : -1;
    return FPercent;
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
