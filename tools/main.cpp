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
                               "       vantrel-tool send [--move] DRIVE VIDEO...\n"
                               "       vantrel-tool receive [--move] FOLDER VIDEO...\n"
                               "       vantrel-tool --version\n"
                               "       vantrel-tool --help\n";

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
    if (std::strcmp(command, "title") == 0)
        return runTitleCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "list") == 0)
        return runListCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "drives") == 0)
        return runDrivesCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "send") == 0)
        return runSendCommand(argc - 2, argv + 2);
    if (std::strcmp(command, "receive") == 0)
        return runReceiveCommand(argc - 2, argv + 2);
    printUsage();
    return 2;
}
