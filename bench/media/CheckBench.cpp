// The playability check against the title read, on the same folders, in
// the same run:
//
//   build/bench/check_bench [FOLDER]
//
// 1. 1,000 short handheld videos (each its own file): checks per second
//    and title reads per second over the whole folder.
// 2. 1,000 names of one two-hour video (a one-second clip looped by
//    FFmpeg without re-encoding, its movie box megabytes long and last):
//    the same two figures, and the bytes one check reads.
// Each figure is the median of five rounds with the files in the page
// cache: the cost of the work itself, not of the disk. FOLDER (default:
// a new one under /tmp) holds the videos; it is removed afterwards.

#include "bench/catalogue/BenchMedia.h"
#include "catalogue/PSPTitle.h"
#include "media/Mp4Headers.h"
#include "media/Playability.h"

#include <cstdio>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kVideoCount = 1000;
constexpr int kRounds = 5;

std::vector<std::string> Copies(const std::string& source, const std::string& folder, bool linked)
{
    std::vector<std::string> videos;
    char name[32];
    for (int n = 1; n <= kVideoCount; ++n) {
        std::snprintf(name, sizeof name, "M4V%05d.MP4", n);
        const std::string path = folder + name;
        if (linked)
            fs::create_hard_link(source, path);
        else
            fs::copy_file(source, path);
        videos.push_back(path);
    }
    return videos;
}

struct TFigures {
    double ChecksPerSecond = 0;
    double ReadsPerSecond = 0;
};

TFigures Measure(const std::vector<std::string>& videos)
{
    std::vector<double> checks;
    std::vector<double> reads;
    int failures = 0;
    for (int round = 0; round < kRounds; ++round) {
        checks.push_back(TimeSeconds([&] {
            for (const std::string& video : videos)
                failures += !media::CheckPlayability(video).Plays();
        }));
        reads.push_back(TimeSeconds([&] {
            for (const std::string& video : videos)
                failures += !PSPTitle::ReadTitle(video).has_value();
        }));
    }
    if (failures != 0)
        std::fprintf(stderr, "check_bench: %d checks or reads failed\n", failures);
    const double count = static_cast<double>(videos.size());
    return {count / Median(checks), count / Median(reads)};
}

void Print(const char* what, const TFigures& figures)
{
    std::printf("%-34s %10.0f checks/s %10.0f title reads/s   check/read %.2f x\n", what, figures.ChecksPerSecond,
                figures.ReadsPerSecond, figures.ReadsPerSecond / figures.ChecksPerSecond);
}

} // namespace

int main(int argc, char** argv)
{
    PSPTitle::CreateLibrary();
    const ScratchFolder scratch(argc > 1 ? argv[1] : "");
    const std::string shortFolder = scratch.Path() + "short/";
    const std::string longFolder = scratch.Path() + "long/";
    fs::create_directories(shortFolder);
    fs::create_directories(longFolder);

    const std::string clip = scratch.Path() + "clip.mp4";
    MakeWithFfmpeg("-f lavfi -i testsrc=duration=1:size=160x120:rate=10 -f lavfi -i sine=duration=1 "
                   "-c:v mpeg4 -c:a aac -f psp -metadata title=T",
                   clip);
    const std::string second = scratch.Path() + "second.mp4";
    MakeWithFfmpeg("-f lavfi -i testsrc=duration=1:size=32x24:rate=10 -f lavfi -i sine=duration=1 "
                   "-c:v mpeg4 -c:a aac -b:a 16k",
                   second);
    const std::string movie = scratch.Path() + "movie.mp4";
    MakeWithFfmpeg("-stream_loop 7199 -i '" + second + "' -c copy -f psp -metadata title=T", movie);

    const TFigures shortFigures = Measure(Copies(clip, shortFolder, false));
    const TFigures longFigures = Measure(Copies(movie, longFolder, true));

    std::printf("1,000 videos, median of %d rounds, files in the page cache\n", kRounds);
    Print("short handheld videos", shortFigures);
    Print("two-hour videos", longFigures);
    std::printf("one check of a two-hour video (%.1f MB) reads %llu bytes\n",
                static_cast<double>(fs::file_size(movie)) / 1e6,
                static_cast<unsigned long long>(media::ReadMovieHeaders(movie).BytesRead));
    PSPTitle::DestroyLibrary();
    return 0;
}
