#include "support/HelpPage.h"

#include "platform/FileSystem.h"

#include <QDir>

namespace {

// Relative to the program's folder, in the order they are tried. The
// installed place is worked out by the build from the install layout.
constexpr const char* kHelpPlaces[] = {
    VANTREL_HELP_FROM_PROGRAM,
    "doc/help.html",
};

} // namespace

std::string HelpPagePath(const std::string& programFolder)
{
    if (programFolder.empty())
        return {};
    for (const char* place : kHelpPlaces) {
        const std::string candidate = programFolder + place;
        if (platform::IsRegularFile(candidate))
            return QDir::cleanPath(QString::fromStdString(candidate)).toStdString();
    }
    return {};
}
