// The running program's path and named sections of ELF files.

#include "platform/Executable.h"

#include "platform/FileSystem.h"

#include <elf.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace platform {

std::string ExecutablePath()
{
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    // A link that fills the buffer may be longer: a path cut short would
    // name another file.
    if (length <= 0 || std::size_t(length) >= buffer.size() || buffer[0] != '/')
        return {};
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::string ExecutableFolder()
{
    return FolderOf(ExecutablePath());
}

namespace {

// Section headers larger than this are not believed (a real program has
// a few dozen sections).
constexpr std::uint64_t kMostSections = 4096;
// A version record or any section we look for is small.
constexpr std::uint64_t kLargestSection = 1 << 20;

// Reads exactly `size` bytes at `offset`; false on a short read.
bool ReadAt(int fd, std::uint64_t offset, void* buffer, std::size_t size)
{
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, bytes + done, size - done, static_cast<off_t>(offset + done));
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// True when [offset, offset + size) lies inside a file of `fileSize` bytes.
bool Inside(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize)
{
    return offset <= fileSize && size <= fileSize - offset;
}

template <class Header, class SectionHeader>
std::optional<std::string> FindSection(int fd, std::uint64_t fileSize, std::string_view name)
{
    Header header;
    if (!ReadAt(fd, 0, &header, sizeof header))
        return std::nullopt;
    if (header.e_shentsize != sizeof(SectionHeader) || header.e_shnum == 0 || header.e_shnum > kMostSections
        || header.e_shstrndx >= header.e_shnum)
        return std::nullopt;
    const std::uint64_t tableSize = std::uint64_t{header.e_shnum} * sizeof(SectionHeader);
    if (!Inside(header.e_shoff, tableSize, fileSize))
        return std::nullopt;
    std::vector<SectionHeader> sections(header.e_shnum);
    if (!ReadAt(fd, header.e_shoff, sections.data(), tableSize))
        return std::nullopt;

    const SectionHeader& names = sections[header.e_shstrndx];
    if (names.sh_size > kLargestSection || !Inside(names.sh_offset, names.sh_size, fileSize))
        return std::nullopt;
    std::string nameTable(names.sh_size, '\0');
    if (!ReadAt(fd, names.sh_offset, nameTable.data(), nameTable.size()))
        return std::nullopt;

    for (const SectionHeader& section : sections) {
        if (section.sh_name >= nameTable.size())
            continue;
        const char* start = nameTable.data() + section.sh_name;
        const std::size_t length = ::strnlen(start, nameTable.size() - section.sh_name);
        if (std::string_view(start, length) != name)
            continue;
        // A section without bytes in the file (NOBITS) has nothing to read.
        if (section.sh_type == SHT_NOBITS || section.sh_size > kLargestSection
            || !Inside(section.sh_offset, section.sh_size, fileSize))
            return std::nullopt;
        std::string bytes(section.sh_size, '\0');
        if (!ReadAt(fd, section.sh_offset, bytes.data(), bytes.size()))
            return std::nullopt;
        return bytes;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> ReadElfSection(const std::string& path, std::string_view name)
{
    OpenResult opened = OpenRegularForReading(path);
    if (!opened.File.IsOpen())
        return std::nullopt;
    const std::optional<FileStatus> status = StatDescriptor(opened.File.Get());
    if (!status || status->Size < EI_NIDENT)
        return std::nullopt;
    const int fd = opened.File.Get();
    const auto fileSize = static_cast<std::uint64_t>(status->Size);

    unsigned char ident[EI_NIDENT];
    if (!ReadAt(fd, 0, ident, sizeof ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0
        || ident[EI_DATA] != ELFDATA2LSB)
        return std::nullopt;
    if (ident[EI_CLASS] == ELFCLASS64)
        return FindSection<Elf64_Ehdr, Elf64_Shdr>(fd, fileSize, name);
    if (ident[EI_CLASS] == ELFCLASS32)
        return FindSection<Elf32_Ehdr, Elf32_Shdr>(fd, fileSize, name);
    return std::nullopt;
}

} // namespace platform
