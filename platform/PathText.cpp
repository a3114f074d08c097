// Path pieces and the ASCII case folding of FAT names.

#include "platform/FileSystem.h"

#include <algorithm>
#include <filesystem>

namespace platform {

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithExtension(const std::string& path, const std::string& extension)
{
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    const bool hasDot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasDot ? path.substr(0, dot) : path) + extension;
}

std::string WithTrailingSlash(const std::string& folder)
{
    if (!folder.empty() && folder.back() == '/')
        return folder;
    return folder + '/';
}

bool IsAtOrBelow(const std::string& path, const std::string& folder)
{
    if (path.empty() || folder.empty())
        return false;
    const std::filesystem::path whole = std::filesystem::path(path).lexically_normal();
    const std::filesystem::path base = std::filesystem::path(folder).lexically_normal();
    // A trailing '/' leaves an empty last piece, which any path matches.
    auto wholePiece = whole.begin();
    for (auto basePiece = base.begin(); basePiece != base.end(); ++basePiece) {
        if (basePiece->empty())
            continue;
        if (wholePiece == whole.end() || *wholePiece != *basePiece)
            return false;
        ++wholePiece;
    }
    return true;
}

namespace {

char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

std::string AsciiUpper(std::string_view text)
{
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), upperAscii);
    return upper;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upperAscii(x) == upperAscii(y); });
}

} // namespace platform
