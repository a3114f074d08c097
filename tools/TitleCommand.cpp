// vantrel-tool title FILE [NEW-TITLE]: prints or sets a video's title, so
// people with many videos can title them from a script. The title is
// printed exactly as stored, followed by a newline, so a script gets the
// very text back (unlike `list`, which escapes control characters). A new
// title must be valid UTF-8 without NUL; otherwise nothing is written.

#include "tools/Commands.h"

#include "catalogue/PSPTitle.h"

#include <cstdio>
#include <string>

int runTitleCommand(int argc, char** argv)
{
    if (argc != 1 && argc != 2) {
        std::fputs("usage: vantrel-tool title FILE [NEW-TITLE]\n", stderr);
        return 2;
    }
    const std::string path = argv[0];
    if (argc == 2) {
        const PSPTitle::SaveResult result = PSPTitle::WriteTitle(path, argv[1]);
        if (!result.ok()) {
            std::fprintf(stderr, "%s\n", result.errorText.c_str());
            return 1;
        }
        return 0;
    }
    std::string errorText;
    const std::optional<std::string> title = PSPTitle::ReadTitle(path, errorText);
    if (!title) {
        std::fprintf(stderr, "%s\n", errorText.c_str());
        return 1;
    }
    const std::string line = *title + '\n';
    if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size() || std::fflush(stdout) != 0) {
        std::perror("vantrel-tool: standard output");
        return 1;
    }
    return 0;
}
