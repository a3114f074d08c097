// The comparison both panes sort with, and the size text of a row.

#include "catalogue/Sorting.h"

#include "catalogue/uClass.h"

#include <QLocale>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// Byte by byte, unsigned; a prefix comes first. So "Zoo" < "apple".
int compareOrdinal(const std::string& a, const std::string& b)
{
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    if (const int bytes = std::memcmp(a.data(), b.data(), common); bytes != 0)
        return bytes < 0 ? -1 : 1;
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

int compareNumbers(double a, double b)
{
    if (a > b)
        return 1;
    return a < b ? -1 : 0;
}

// The integer nearest to v, an exact half going to the even neighbour,
// whatever rounding mode the process runs in.
std::int64_t nearestEven(double v)
{
    const double below = std::floor(v);
    const double fraction = v - below;
    auto result = static_cast<std::int64_t>(below);
    if (fraction > 0.5 || (fraction == 0.5 && result % 2 != 0))
        ++result;
    return result;
}

} // namespace

bool SortReadsFacts(const TSortState& sort)
{
    return sort.FSortKey != TSortKey::skNone && sort.FSortKey != TSortKey::skFileName;
}

int lvPspCompare(const TFileInfo& first, const TFileInfo& second, const TSortState& sort)
{
    const TFileInfo& a = sort.FSortDesc ? second : first;
    const TFileInfo& b = sort.FSortDesc ? first : second;
    switch (sort.FSortKey) {
    case TSortKey::skNone:
        return 0;
    case TSortKey::skTitle:
        return compareOrdinal(a.Title, b.Title);
    case TSortKey::skFileName:
        return compareOrdinal(a.FileName, b.FileName);
    case TSortKey::skSize:
        return compareNumbers(a.Size, b.Size);
    case TSortKey::skWriteTime:
        // The year-first fixed-width text orders by time.
        return compareOrdinal(a.WriteTime, b.WriteTime);
    }
    return 0;
}

std::string FormatSize(double bytes)
{
    // A unit is used from the point where its hundredths round to 100.
    if (const std::int64_t mb = nearestEven(bytes * 100 / 1048576); mb / 100 != 0)
        return FormatHundredths(mb) + "MB";
    if (const std::int64_t kb = nearestEven(bytes * 100 / 1024); kb / 100 != 0)
        return FormatHundredths(kb) + "KB";
    return FormatHundredths(nearestEven(bytes * 100)) + "B";
}

std::string FormatHundredths(std::int64_t hundredths)
{
    // Built from the integer, not by printf: the C library's locale is
    // not necessarily the one the program shows numbers in.
    const bool negative = hundredths < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(hundredths)
                                             : static_cast<std::uint64_t>(hundredths);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, "%02llu", static_cast<unsigned long long>(magnitude % 100));
    return (negative ? "-" : "") + std::to_string(magnitude / 100) + QLocale().decimalPoint().toStdString()
         + fraction;
}
