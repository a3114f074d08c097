#pragma once

// The names of a folder folded to upper case, read once for a name search.
// The handheld's FAT medium ignores case, and a computer folder standing
// for a handheld may not: a name counts as taken when any entry spells it
// with other case.

#include <string>
#include <unordered_set>

class TTakenNames {
public:
    explicit TTakenNames(const std::string& folder);

    bool Contains(const std::string& name) const;

private:
    std::unordered_set<std::string> FFolded;
};
