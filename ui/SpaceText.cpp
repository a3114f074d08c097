#include "ui/SpaceText.h"

#include "catalogue/Sorting.h"

#include <cmath>
#include <cstdint>

namespace {

// Hundredths of a mebibyte; nearbyint rounds halves to even under the
// default rounding mode.
std::int64_t Mebibytes(double bytes)
{
    return static_cast<std::int64_t>(std::nearbyint(bytes * 100.0 / 1048576.0));
}

} // namespace

std::string FormatDiskSpace(double freeBytes, double totalBytes)
{
    return "Free/Total: " + FormatHundredths(Mebibytes(freeBytes)) + "/" + FormatHundredths(Mebibytes(totalBytes))
         + " M";
}

bool SpaceWarning(int selectedRows, double selectedBytes, double freeBytes, double totalBytes)
{
    if (selectedRows <= 0)
        return false;
    if (!(freeBytes > 0 && totalBytes > 0))
        return true;
    return selectedBytes > freeBytes;
}
