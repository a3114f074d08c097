// The readers of the version record the build stores in each program.

#include "support/VersionInfo.h"

#include "platform/Executable.h"
#include "support/VersionRecord.h"

#include <cstdio>
#include <optional>
#include <string_view>

namespace {

std::uint32_t WordAt(const std::string& bytes, std::size_t offset)
{
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i)
        word |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return word;
}

std::optional<std::string> ReadRecord(const std::string& path)
{
    return platform::ReadElfSection(path, VersionRecord::kSectionName);
}

// The translation key of the record's first translation, "040904E4";
// empty when the record holds none.
std::string TranslationKey(const std::string& record)
{
    if (record.size() < VersionRecord::kStringsOffset)
        return {};
    const std::uint32_t translation = WordAt(record, VersionRecord::kTranslationOffset);
    char key[9];
    std::snprintf(key, sizeof key, "%04X%04X", static_cast<unsigned>(translation & 0xFFFF),
                  static_cast<unsigned>(translation >> 16));
    return key;
}

// The value of the line "<key>\<name>=<value>" of the record's text.
std::string StringValue(const std::string& record, const std::string& key, std::string_view name)
{
    if (key.empty() || record.size() < VersionRecord::kStringsOffset)
        return {};
    std::string_view text(record);
    text.remove_prefix(VersionRecord::kStringsOffset);
    text = text.substr(0, text.find('\0'));
    const std::string wanted = key + "\\" + std::string(name) + "=";
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (line.substr(0, wanted.size()) == wanted)
            return std::string(line.substr(wanted.size()));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return {};
}

} // namespace

std::string GetVersionText(const std::string& path)
{
    const std::optional<std::string> record = ReadRecord(path);
    if (!record)
        return {};
    return StringValue(*record, TranslationKey(*record), "FileVersion");
}

TFixedFileInfo GetFileInfo(const std::string& path)
{
    TFixedFileInfo info{};
    const std::optional<std::string> record = ReadRecord(path);
    if (!record || record->size() < VersionRecord::kFixedSize || WordAt(*record, 0) != VersionRecord::kSignature)
        return info;
    for (std::size_t word = 0; word < info.size(); ++word)
        info[word] = WordAt(*record, word * 4);
    return info;
}

std::string GetProductVersionText(const std::string& path)
{
    const TFixedFileInfo info = GetFileInfo(path);
    const std::uint32_t most = info[VersionRecord::kProductVersionOffset / 4];
    const std::uint32_t least = info[VersionRecord::kProductVersionOffset / 4 + 1];
    return std::to_string(most >> 16) + "." + std::to_string(most & 0xFFFF) + "." + std::to_string(least >> 16) + "."
         + std::to_string(least & 0xFFFF);
}
