#include "tools/Commands.h"

#include <cstdio>

// Placeholder until the title command is written.
int runTitleCommand(int, char**)
{
    std::fputs("vantrel-tool: 'title' is not available yet\n", stderr);
    return 2;
}
