// The mount table in the kernel's mountinfo format:
//
//   36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue
//   id parent major:minor root mount-point options [optional...] - type source super-options
//
// Blanks, tabs, newlines and backslashes inside a field are written as
// octal escapes (\040, \011, \012, \134).

#include "platform/Drives.h"

#include <optional>

namespace {

bool IsOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// Every backslash followed by three octal digits is one byte; anything
// else is kept as it stands.
std::string DecodeEscapes(std::string_view field)
{
    std::string decoded;
    decoded.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3'
            && IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
            decoded += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            decoded += field[i];
        }
    }
    return decoded;
}

std::vector<std::string_view> SplitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        if (line[start] == ' ' || line[start] == '\t' || line[start] == '\r') {
            ++start;
            continue;
        }
        std::size_t end = start;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r')
            ++end;
        fields.push_back(line.substr(start, end - start));
        start = end;
    }
    return fields;
}

bool IsNumber(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool IsDeviceNumber(std::string_view text)
{
    const std::size_t colon = text.find(':');
    return colon != std::string_view::npos && IsNumber(text.substr(0, colon)) && IsNumber(text.substr(colon + 1));
}

std::optional<MountEntry> ParseLine(std::string_view line)
{
    // id, parent, major:minor, root, mount point, options, then optional
    // fields up to the lone "-", then type and source.
    constexpr std::size_t FixedFields = 6;
    const std::vector<std::string_view> fields = SplitFields(line);
    std::size_t separator = FixedFields;
    while (separator < fields.size() && fields[separator] != "-")
        ++separator;
    if (separator + 2 >= fields.size())
        return std::nullopt;
    if (!IsNumber(fields[0]) || !IsNumber(fields[1]) || !IsDeviceNumber(fields[2]))
        return std::nullopt;
    MountEntry entry{DecodeEscapes(fields[4]), DecodeEscapes(fields[separator + 1]),
                     DecodeEscapes(fields[separator + 2]), std::string(fields[2])};
    if (entry.mountPoint.empty() || entry.mountPoint.front() != '/')
        return std::nullopt;
    return entry;
}

} // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text)
{
    std::vector<MountEntry> entries;
    while (!text.empty()) {
        // Take the next line first, so that no line, however short or
        // broken, can keep the loop where it is.
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (std::optional<MountEntry> entry = ParseLine(line))
            entries.push_back(std::move(*entry));
    }
    return entries;
}
