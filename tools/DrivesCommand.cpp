#include "tools/Commands.h"

#include <cstdio>

// Placeholder until the drives command is written.
int runDrivesCommand(int, char**)
{
    std::fputs("vantrel-tool: 'drives' is not available yet\n", stderr);
    return 2;
}
