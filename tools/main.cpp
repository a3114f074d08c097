// vantrel-tool: the catalogue and the title library for scripts.

#include "tools/Commands.h"

#include "platform/Executable.h"
#include "support/VersionInfo.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage = "usage: vantrel-tool title FILE [NEW-TITLE]\n"
                               "       vantrel-tool list FOLDER [--thumbs]\n"
                               "       vantrel-tool drives\n"
                               "       vantrel-tool send [--move] [--convert] DRIVE VIDEO...\n"
                               "       vantrel-tool receive [--move] FOLDER VIDEO...\n"
                               "       vantrel-tool check VIDEO...\n"
                               "       vantrel-tool thumb VIDEO [THM]\n"
                               "       vantrel-tool --version\n"
                               "       vantrel-tool --help\n";

struct TSubCommand {
    const char* Name;
    int (*Run)(int argc, char** argv);
};

constexpr TSubCommand kSubCommands[] = {
    {"title", runTitleCommand},     {"list", runListCommand},   {"drives", runDrivesCommand},
    {"send", runSendCommand},       {"receive", runReceiveCommand}, {"check", runCheckCommand},
    {"thumb", runThumbCommand},
};

void printUsage()
{
    std::fputs(kUsage, stderr);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        printUsage();
        return 2;
    }
    const char* command = argv[1];
    if (std::strcmp(command, "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (std::strcmp(command, "--version") == 0) {
        // The same record the window program carries, read from this file.
        std::printf("vantrel-tool %s\n", GetVersionText(platform::ExecutablePath()).c_str());
        return 0;
    }
    for (const TSubCommand& sub : kSubCommands) {
        if (std::strcmp(command, sub.Name) == 0)
            return sub.Run(argc - 2, argv + 2);
    }
    printUsage();
    return 2;
}
