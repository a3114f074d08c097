#include "catalogue/CompanionFiles.h"

#include "platform/FileSystem.h"

#include <algorithm>

namespace {

bool endsWithIgnoreCase(const std::string& name, const std::string& suffix)
{
    return name.size() >= suffix.size()
        && platform::EqualsIgnoreAsciiCase(std::string_view(name).substr(name.size() - suffix.size()), suffix);
}

std::optional<TCompanionIndex::Found> regularFile(const std::string& path)
{
    const auto status = platform::StatPath(path);
    if (!status || status->Kind != platform::EntryKind::RegularFile)
        return std::nullopt;
    return TCompanionIndex::Found{path, status->Size};
}

} // namespace

TCompanionIndex::TCompanionIndex(const std::vector<std::string>& names, const std::string& extension)
{
    if (extension.empty())
        return;
    for (const std::string& name : names) {
        if (endsWithIgnoreCase(name, extension))
            FByFoldedName[platform::AsciiUpper(name)].push_back(name);
    }
    for (auto& [folded, spellings] : FByFoldedName)
        std::sort(spellings.begin(), spellings.end());
}

std::optional<TCompanionIndex::Found> TCompanionIndex::Find(const std::string& folder, const std::string& wanted) const
{
    const auto bucket = FByFoldedName.find(platform::AsciiUpper(wanted));
    if (bucket == FByFoldedName.end())
        return std::nullopt;
    const std::vector<std::string>& spellings = bucket->second;
    if (std::binary_search(spellings.begin(), spellings.end(), wanted)) {
        if (auto exact = regularFile(folder + wanted))
            return exact;
    }
    for (const std::string& spelling : spellings) {
        if (spelling == wanted)
            continue;
        if (auto folded = regularFile(folder + spelling))
            return folded;
    }
    return std::nullopt;
}
