// vantrel-tool check VIDEO...: tells for each video whether the handheld
// plays it, from its headers alone. One line per video on standard
// output: PATH<TAB>plays, or PATH<TAB>will not play: REASON; REASON.
// Exit 0 when every video plays, 1 when one does not or cannot be read
// (its line says why), 2 on wrong usage.

#include "tools/Commands.h"

#include "media/Playability.h"

#include <cstdio>
#include <string>

int runCheckCommand(int argc, char** argv)
{
    if (argc < 1) {
        std::fputs("usage: vantrel-tool check VIDEO...\n", stderr);
        return 2;
    }
    int exitCode = 0;
    for (int i = 0; i < argc; ++i) {
        const media::TPlayability verdict = media::CheckPlayability(argv[i]);
        if (!verdict.Plays())
            exitCode = 1;
        const std::string line =
            std::string(argv[i]) + '\t' + (verdict.Plays() ? "plays" : "will not play: " + verdict.ReasonText()) + '\n';
        if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size()) {
            std::perror("vantrel-tool: standard output");
            return 1;
        }
    }
    if (std::fflush(stdout) != 0) {
        std::perror("vantrel-tool: standard output");
        return 1;
    }
    return exitCode;
}
