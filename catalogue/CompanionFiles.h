#pragma once

// Finds a video's companion thumbnail among the entries of its folder.
// The handheld's FAT medium ignores case, a computer folder may not: the
// exact name wins, and otherwise any entry that differs only in ASCII
// case is taken. Built once per scan from the folder listing, so each
// video costs one lookup and no extra directory read.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class TCompanionIndex {
public:
    // `names`: the folder's entries; only those ending in `extension`
    // (compared without case) are kept.
    TCompanionIndex(const std::vector<std::string>& names, const std::string& extension);

    struct Found {
        std::string Path;
        std::int64_t Size = 0;
    };

    // The regular file in `folder` (with trailing '/') named `wanted`,
    // exactly or else without regard to ASCII case.
    std::optional<Found> Find(const std::string& folder, const std::string& wanted) const;

private:
    // Upper-cased name -> the entries spelled that way, in byte order.
    std::unordered_map<std::string, std::vector<std::string>> FByFoldedName;
};
