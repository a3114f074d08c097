#pragma once

// What a scan keeps of its folder for describing the folder's videos:
// the folder's entries and the scanner's thumbnail settings at the time
// of the scan. A scan that lists names only shares it among its records,
// which may then be described in any order and long after the scan.
// Read-only once made; the index of thumbnails is built on first use.

#include "catalogue/CompanionFiles.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

class TScannedFolder {
public:
    TScannedFolder(std::vector<std::string> names, std::string thumbExt, std::string defaultThumb);

    const std::vector<std::string>& Names() const { return FNames; }
    const std::string& ThumbExt() const { return FThumbExt; }
    const std::string& DefaultThumb() const { return FDefaultThumb; }
    // The folder's thumbnails, indexed the first time they are asked for:
    // a scan whose records are never described never pays for it.
    const TCompanionIndex& Thumbnails() const;

private:
    std::vector<std::string> FNames;
    std::string FThumbExt;
    std::string FDefaultThumb;
    mutable std::once_flag FIndexed;
    mutable std::optional<TCompanionIndex> FThumbnails;
};
