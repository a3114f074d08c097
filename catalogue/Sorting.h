#pragma once

// How pane rows are ordered and how sizes read.

#include <cstdint>
#include <string>

struct TFileInfo;

enum class TSortKey { skNone = 0, skTitle = 1, skFileName = 2, skSize = 3, skWriteTime = 4 };

// The key and direction shared by both panes.
struct TSortState {
    TSortKey FSortKey = TSortKey::skNone;
    bool FSortDesc = false;

    bool operator==(const TSortState&) const = default;
};

// Whether ordering by `sort` reads more of a record than its file name:
// a record a scan only listed must be described first.
bool SortReadsFacts(const TSortState& sort);

// Negative, zero or positive when `first` goes before, with or after
// `second`. Texts compare byte by byte (unsigned), case-sensitive.
int lvPspCompare(const TFileInfo& first, const TFileInfo& second, const TSortState& sort);

// "%.2fMB", "%.2fKB" or "%.2fB", hundredths rounded half to even, with
// the user's decimal separator (FormatHundredths).
std::string FormatSize(double bytes);

// `hundredths` / 100 with two decimals, no grouping, and the user's
// decimal separator: that of the default QLocale, which is the system's
// (LC_ALL, LC_NUMERIC, LANG) unless the program sets another.
std::string FormatHundredths(std::int64_t hundredths);
