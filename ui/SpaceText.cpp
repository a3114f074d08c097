#include "ui/SpaceText.h"

#include <cmath>
#include <cstdio>

namespace {

// Mebibytes to two decimals; nearbyint rounds halves to even under the
// default rounding mode.
double Mebibytes(double bytes)
{
    return std::nearbyint(bytes * 100.0 / 1048576.0) / 100.0;
}

} // namespace

std::string FormatDiskSpace(double freeBytes, double totalBytes)
{
    char text[96];
    std::snprintf(text, sizeof text, "Free/Total: %.2f/%.2f M", Mebibytes(freeBytes), Mebibytes(totalBytes));
    return text;
}

bool SpaceWarning(int selectedRows, double selectedBytes, double freeBytes, double totalBytes)
{
    if (selectedRows <= 0)
        return false;
    if (!(freeBytes > 0 && totalBytes > 0))
        return true;
    return selectedBytes > freeBytes;
}
