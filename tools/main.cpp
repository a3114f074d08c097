// vantrel-tool: the catalogue and the title library for scripts.

#include "tools/Commands.h"

#include <cstdio>
#include <cstring>

namespace {

void printUsage()
{
    std::fputs("usage: vantrel-tool title FILE [NEW-TITLE]\n"
               "       vantrel-tool list FOLDER [--thumbs]\n"
               "       vantrel-tool drives\n"
               "       vantrel-tool send [--move] DRIVE VIDEO...\n"
               "       vantrel-tool receive [--move] FOLDER VIDEO...\n",
               stderr);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        printUsage();
        return 2;
    }
    const char* command = argv[1];
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
