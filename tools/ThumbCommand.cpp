// vantrel-tool thumb VIDEO [THM]: makes the handheld's thumbnail for a
// computer video, as a transfer makes it for a video without one: a
// 160 x 120 JPEG of a frame about a tenth in. THM defaults to the file
// beside the video under the same stem; an existing file is never
// replaced. Exit 0 when written, 1 on failure (a line on standard error
// names the file and the reason), 2 on wrong usage.

#include "tools/Commands.h"

#include "catalogue/HandheldFolder.h"
#include "media/ThumbnailMaker.h"
#include "platform/FileSystem.h"

#include <cstdio>
#include <string>

int runThumbCommand(int argc, char** argv)
{
    if (argc != 1 && argc != 2) {
        std::fputs("usage: vantrel-tool thumb VIDEO [THM]\n", stderr);
        return 2;
    }
    const std::string video = argv[0];
    const std::string target = argc == 2 ? std::string(argv[1]) : ThumbnailPathFor(video);
    if (platform::Exists(target)) {
        std::fprintf(stderr, "%s: a file of that name exists already\n", target.c_str());
        return 1;
    }
    const std::string problem = media::WriteMadeThumbnail(video, target);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s: %s\n", video.c_str(), problem.c_str());
        return 1;
    }
    return 0;
}
