#include "tools/Commands.h"

#include <cstdio>

// Placeholder until the list command is written.
int runListCommand(int, char**)
{
    std::fputs("vantrel-tool: 'list' is not available yet\n", stderr);
    return 2;
}
