// vantrel-tool title FILE [NEW-TITLE]: prints or sets a video's title, so
// people with many videos can title them from a script.

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
    std::printf("%s\n", title->c_str());
    return 0;
}
