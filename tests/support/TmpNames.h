#pragma once

// Recognises the names the temporary-file maker hands out:
// "tmp" + eight upper-case hexadecimal digits + ".tmp".

#include <string_view>

inline bool IsTmpName(std::string_view name)
{
    constexpr std::string_view kPrefix = "tmp";
    constexpr std::string_view kSuffix = ".tmp";
    if (name.size() != kPrefix.size() + 8 + kSuffix.size() || name.substr(0, kPrefix.size()) != kPrefix
        || name.substr(kPrefix.size() + 8) != kSuffix)
        return false;
    for (const char c : name.substr(kPrefix.size(), 8)) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}
