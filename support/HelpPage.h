#pragma once

// Where the program's own help page is: beside the installed program in
// the installed tree (share/doc/vantrel/help.html), or in the build tree
// (doc/help.html next to the built program).

#include <string>

// The help page for a program in `programFolder` (with a trailing '/'):
// the first of the known places that holds the page; empty when none does.
std::string HelpPagePath(const std::string& programFolder);
