#include "transfer/TargetNames.h"

#include "catalogue/HandheldFolder.h"
#include "catalogue/TakenNames.h"
#include "platform/FileSystem.h"

namespace {

bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsBlank(const std::string& text)
{
    for (char c : text) {
        if (!IsBlankOrControl(c))
            return false;
    }
    return true;
}

} // namespace

std::string PcTargetName(const std::string& folder, const std::string& fileName, const std::string& preferred,
                         const std::string& pending)
{
    const TTakenNames taken(folder);
    const std::string pendingName = pending.empty() ? std::string() : platform::NameOf(pending);
    const auto isFree = [&](const std::string& name) {
        // A name spelt with other case is taken too; so is anything the
        // listing missed since (the final rename never replaces).
        return !taken.Contains(name) && !platform::Exists(folder + name)
            && !(!pendingName.empty() && platform::EqualsIgnoreAsciiCase(name, pendingName));
    };
    if (!IsBlank(preferred) && isFree(preferred))
        return folder + preferred;
    if (isFree(fileName))
        return folder + fileName;
    const std::string stem = fileName.size() > 4 ? fileName.substr(0, fileName.size() - 4) : fileName;
    for (unsigned counter = 0;; ++counter) {
        std::string candidate = stem + "_" + std::to_string(counter) + kVideoExtension;
        if (isFree(candidate))
            return folder + candidate;
    }
}
