#pragma once

// The nine sort commands of each pane, in the order the locks switch
// them: No Sort, then each key ascending and descending. The pane's
// context menu shows No Sort, and each key under "&Asc Sort By" and
// "&Desc Sort By" in this order; one command is ticked per pane.

#include "catalogue/PaneModel.h"
#include "catalogue/Sorting.h"

#include <cstddef>

struct TSortCommand {
    TPaneSide Pane;
    TSortKey Key;  // skNone: No Sort
    bool Descending;
    const char* Name;  // the action's object name
    const char* Caption;
};

inline constexpr TSortCommand kSortCommands[] = {
    {TPaneSide::Computer, TSortKey::skNone, false, "actPCSortNone", "&No Sort"},
    {TPaneSide::Computer, TSortKey::skTitle, false, "actPCTitleAsc", "Title"},
    {TPaneSide::Computer, TSortKey::skTitle, true, "actPCTitleDesc", "Title"},
    {TPaneSide::Computer, TSortKey::skFileName, false, "actPCFileNameAsc", "File Name"},
    {TPaneSide::Computer, TSortKey::skFileName, true, "actPCFileNameDesc", "File Name"},
    {TPaneSide::Computer, TSortKey::skSize, false, "actPCSizeAsc", "Size"},
    {TPaneSide::Computer, TSortKey::skSize, true, "actPCSizeDesc", "Size"},
    {TPaneSide::Computer, TSortKey::skWriteTime, false, "actPCWriteTimeAsc", "Modified Time"},
    {TPaneSide::Computer, TSortKey::skWriteTime, true, "actPCWriteTimeDesc", "Modified Time"},
    {TPaneSide::Handheld, TSortKey::skNone, false, "actPSPSortNone", "&No Sort"},
    {TPaneSide::Handheld, TSortKey::skTitle, false, "actPSPTitleAsc", "Title"},
    {TPaneSide::Handheld, TSortKey::skTitle, true, "actPSPTitleDesc", "Title"},
    {TPaneSide::Handheld, TSortKey::skFileName, false, "actPSPFileNameAsc", "File Name"},
    {TPaneSide::Handheld, TSortKey::skFileName, true, "actPSPFileNameDesc", "File Name"},
    {TPaneSide::Handheld, TSortKey::skSize, false, "actPSPSizeAsc", "Size"},
    {TPaneSide::Handheld, TSortKey::skSize, true, "actPSPSizeDesc", "Size"},
    {TPaneSide::Handheld, TSortKey::skWriteTime, false, "actPSPWriteTimeAsc", "Modified Time"},
    {TPaneSide::Handheld, TSortKey::skWriteTime, true, "actPSPWriteTimeDesc", "Modified Time"},
};

inline constexpr std::size_t kSortCommandCount = std::size(kSortCommands);
