#include "media/CodecTable.h"

#include <dlfcn.h>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace media {

namespace {

std::string ProgramFolder()
{
    std::vector<char> path(4096);
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0)
        return {};
    const std::string program(path.data(), static_cast<std::size_t>(length));
    return program.substr(0, program.find_last_of('/') + 1);
}

struct TLoaded {
    const TCodecTable* Table = nullptr;
    std::string Problem;
};

TLoaded Load()
{
    using TEntry = const TCodecTable* (*)();
    const std::string folder = ProgramFolder();
    std::string tried;
    // The build puts the plugin beside the programs (tests and benchmarks
    // one folder below); an installed tree keeps it with the window.
    for (const std::string& candidate : {folder, folder + "../", folder + "../lib/vantrel/"}) {
        const std::string path = candidate + kCodecPluginName;
        if (access(path.c_str(), F_OK) != 0)
            continue;
        // Never closed: the table is used until the program ends.
        void* plugin = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (plugin == nullptr) {
            tried = dlerror();
            continue;
        }
        const auto entry = reinterpret_cast<TEntry>(dlsym(plugin, kCodecEntryName));
        const TCodecTable* table = entry != nullptr ? entry() : nullptr;
        if (table != nullptr && table->Version == kCodecTableVersion)
            return {table, {}};
        tried = path + " is of another version of Vantrel";
    }
    return {nullptr, "FFmpeg's part of Vantrel cannot be loaded (" +
                         (tried.empty() ? std::string(kCodecPluginName) + " is not installed beside the program" : tried) +
                         ")"};
}

} // namespace

const TCodecTable* CodecTable(std::string& problem)
{
    static const TLoaded loaded = Load();
    problem = loaded.Problem;
    return loaded.Table;
}

} // namespace media
