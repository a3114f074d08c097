#include "psptitle/MemoryStorage.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace psptitle {
namespace {

// Writes beyond this are refused like a full medium, so a crafted box size
// cannot make the fuzzer allocate without bound.
constexpr std::uint64_t memoryCapacity = std::uint64_t{1} << 28;

class MemoryFile final : public FileAccess {
public:
    explicit MemoryFile(MemoryStorage::Entry& entry) : entry_(entry) {}

    int readAt(std::uint64_t offset, std::span<std::byte> buffer, std::size_t& got) override
    {
        got = 0;
        if (offset >= entry_.bytes.size() || buffer.empty())
            return 0;
        got = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), entry_.bytes.size() - offset));
        std::memcpy(buffer.data(), entry_.bytes.data() + offset, got);
        return 0;
    }

    int writeAt(std::uint64_t offset, std::span<const std::byte> bytes) override
    {
        if (bytes.empty())
            return 0;
        if (offset > memoryCapacity || bytes.size() > memoryCapacity - offset)
            return ENOSPC;
        const std::uint64_t end = offset + bytes.size();
        if (end > entry_.bytes.size())
            entry_.bytes.resize(static_cast<std::size_t>(end));
        std::copy(bytes.begin(), bytes.end(), entry_.bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        ++entry_.generation;
        return 0;
    }

    int flush() override { return 0; }

    int truncate(std::uint64_t size) override
    {
        if (size > memoryCapacity)
            return ENOSPC;
        entry_.bytes.resize(static_cast<std::size_t>(size));
        ++entry_.generation;
        return 0;
    }

    int identify(FileIdentity& identity) override
    {
        identity = FileIdentity{1, entry_.inode, entry_.bytes.size(), entry_.generation, 0};
        return 0;
    }

    // One process, one handle at a time: nothing to keep apart.
    int lock(bool) override { return 0; }

private:
    MemoryStorage::Entry& entry_;
};

} // namespace

void MemoryStorage::put(const std::string& path, Bytes bytes)
{
    Entry& entry = files_[path];
    entry.bytes = std::move(bytes);
    entry.inode = nextInode_++;
    ++entry.generation;
}

const MemoryStorage::Bytes& MemoryStorage::contents(const std::string& path) const
{
    static const Bytes none;
    const auto found = files_.find(path);
    return found == files_.end() ? none : found->second.bytes;
}

PathFacts MemoryStorage::inspect(const std::string& path)
{
    PathFacts facts;
    if (!files_.contains(path)) {
        facts.error = ENOENT;
        return facts;
    }
    facts.isRegular = true;
    facts.writable = true;
    return facts;
}

int MemoryStorage::openForReading(const std::string& path, std::unique_ptr<FileAccess>& file)
{
    const auto found = files_.find(path);
    if (found == files_.end())
        return ENOENT;
    file = std::make_unique<MemoryFile>(found->second);
    return 0;
}

int MemoryStorage::openForWriting(const std::string& path, std::unique_ptr<FileAccess>& file)
{
    return openForReading(path, file);
}

} // namespace psptitle
