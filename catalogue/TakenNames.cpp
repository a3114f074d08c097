#include "catalogue/TakenNames.h"

#include "platform/FileSystem.h"

TTakenNames::TTakenNames(const std::string& folder)
{
    if (const auto names = platform::ListDirectory(folder)) {
        for (const std::string& name : *names)
            FFolded.insert(platform::AsciiUpper(name));
    }
}

bool TTakenNames::Contains(const std::string& name) const
{
    return FFolded.count(platform::AsciiUpper(name)) > 0;
}
