#pragma once

// Storage that keeps its files in memory: the fuzzer opens, saves and
// reopens videos with it without touching the disk.

#include "psptitle/Storage.h"

#include <map>
#include <vector>

namespace psptitle {

class MemoryStorage final : public Storage {
public:
    using Bytes = std::vector<std::byte>;

    void put(const std::string& path, Bytes bytes);
    // The file's bytes; empty when there is no such file.
    [[nodiscard]] const Bytes& contents(const std::string& path) const;

    PathFacts inspect(const std::string& path) override;
    int openForReading(const std::string& path, std::unique_ptr<FileAccess>& file) override;
    int openForWriting(const std::string& path, std::unique_ptr<FileAccess>& file) override;
    bool onReadOnlyMedium(const std::string&) override { return false; }

    struct Entry {
        Bytes bytes;
        std::uint64_t inode = 0;
        std::int64_t generation = 0;  // stands in for the modification time
    };

private:
    std::map<std::string, Entry> files_;
    std::uint64_t nextInode_ = 1;
};

} // namespace psptitle
