// Conversion against the ffmpeg command line with the same settings, on
// the same file, in the same run:
//
//   build/bench/convert_bench [FOLDER]
//
// The source is a phone video: 1920 x 1080 H.264 High profile at 30
// pictures a second with AAC sound, 20 seconds. Both sides fit it into
// 480 x 272 with bars, bring it to 29.97 pictures a second and encode
// x264 veryfast Main 3.0 at constant quality 23 under 1.5 Mbit/s, AAC-LC
// stereo 48 kHz at 128 kbit/s, in the handheld's layout. Each side runs
// three times, alternating; the figure is the median. FOLDER (default: a
// new one under /tmp) holds the files; it is removed afterwards.

#include "bench/catalogue/BenchMedia.h"
#include "media/Conversion.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 3;
constexpr double kSeconds = 20;

const char* const kCommandLine =
    "ffmpeg -nostdin -y -v error -i '%s' "
    "-vf 'scale=480:272:force_original_aspect_ratio=decrease:flags=bicubic,pad=480:272:(ow-iw)/2:(oh-ih)/2,setsar=1' "
    "-r 30000/1001 -c:v libx264 -preset veryfast -profile:v main -level 3.0 -crf 23 -maxrate 1500k -bufsize 3000k "
    "-bf 2 -c:a aac -b:a 128k -ar 48000 -ac 2 -metadata title=Phone -f psp '%s'";

} // namespace

int main(int argc, char** argv)
{
    const ScratchFolder scratch(argc > 1 ? argv[1] : "");
    const std::string source = scratch.Path() + "phone.mp4";
    MakeWithFfmpeg("-f lavfi -i testsrc2=size=1920x1080:rate=30:duration=" + std::to_string(kSeconds) +
                       " -f lavfi -i sine=sample_rate=44100:duration=" + std::to_string(kSeconds) +
                       " -c:v libx264 -preset ultrafast -profile:v high -pix_fmt yuv420p -c:a aac",
                   source);

    std::vector<double> ours;
    std::vector<double> commandLine;
    for (int round = 0; round < kRounds; ++round) {
        const std::string ourTarget = scratch.Path() + "ours.mp4";
        const std::string theirTarget = scratch.Path() + "ffmpeg.mp4";
        fs::remove(ourTarget);
        ours.push_back(TimeSeconds([&] {
            const media::TConversionResult result = media::ConvertForHandheld(source, ourTarget, "Phone", {});
            if (!result.Ok())
                std::fprintf(stderr, "convert_bench: %s\n", result.Problem.c_str());
        }));
        std::vector<char> command(4096);
        std::snprintf(command.data(), command.size(), kCommandLine, source.c_str(), theirTarget.c_str());
        commandLine.push_back(TimeSeconds([&] {
            if (std::system(command.data()) != 0)
                std::fprintf(stderr, "convert_bench: the ffmpeg command failed\n");
        }));
        if (round == kRounds - 1)
            std::printf("sizes: ours %.2f MB, ffmpeg %.2f MB\n", static_cast<double>(fs::file_size(ourTarget)) / 1e6,
                        static_cast<double>(fs::file_size(theirTarget)) / 1e6);
    }
    const double ourTime = Median(ours);
    const double theirTime = Median(commandLine);
    std::printf("%.0f s of 1080p30 H.264 High, median of %d\n", kSeconds, kRounds);
    std::printf("  ConvertForHandheld  %6.2f s  %5.1f x real time\n", ourTime, kSeconds / ourTime);
    std::printf("  ffmpeg command line %6.2f s  %5.1f x real time\n", theirTime, kSeconds / theirTime);
    std::printf("  throughput, ours against ffmpeg's: %.2f x\n", theirTime / ourTime);
    return 0;
}
