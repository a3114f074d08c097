// Scanning 1,000 handheld videos with thumbnails into a pane model,
// every thumbnail decoded, beside the floor of reading the same files:
// open, read the first 64 KiB, close, per video.

#include "bench/catalogue/BenchMedia.h"
#include "catalogue/PSPTitle.h"
#include "catalogue/PaneModel.h"
#include "catalogue/Thumbnail.h"
#include "catalogue/uClass.h"

#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int VideoCount = 1000;
constexpr int Rounds = 7;

std::vector<std::string> makeFolder(const std::string& folder)
{
    const std::string video = folder + "source.video";
    const std::string thumb = folder + "source.jpeg";
    MakeWithFfmpeg("-f lavfi -i testsrc=duration=1:size=160x120:rate=10 -f lavfi -i sine=duration=1 "
                   "-c:v mpeg4 -c:a aac -f psp -metadata title=T",
                   video);
    MakeWithFfmpeg("-f lavfi -i testsrc=size=160x120 -frames:v 1 -f mjpeg", thumb);
    std::vector<std::string> videos;
    char name[32];
    for (int n = 1; n <= VideoCount; ++n) {
        std::snprintf(name, sizeof name, "M4V%05d", n);
        fs::copy_file(video, folder + name + ".MP4");
        fs::copy_file(thumb, folder + name + ".THM");
        videos.push_back(folder + name + ".MP4");
    }
    fs::remove(video);
    fs::remove(thumb);
    return videos;
}

void readFloor(const std::vector<std::string>& videos)
{
    std::vector<char> buffer(64 * 1024);
    for (const std::string& path : videos) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::read(fd, buffer.data(), buffer.size()) < 0)
            std::perror(path.c_str());
        if (fd >= 0)
            ::close(fd);
    }
}

int scanIntoPane(const std::string& folder, TPaneModel& pane, bool decode)
{
    TListFiles scanner;
    int decoded = 0;
    const TSortState sort;
    scanner.OnFile = [&](const TFileInfo& info) {
        std::optional<TThumbnail> picture;
        if (decode && !info.NoThumb)
            picture = DecodeThumbnail(info.ThumbPath);
        decoded += picture.has_value();
        pane.AddRow(info, std::move(picture), sort);
    };
    pane.ClearPane();
    int highest = 0;
    (void)scanner.ScanFolder(folder, highest, true);
    return decoded;
}

} // namespace

int main(int argc, char** argv)
{
    const ScratchFolder scratch(argc > 1 ? argv[1] : "");
    const std::vector<std::string> videos = makeFolder(scratch.Path());
    PSPTitle::CreateLibrary();

    TPaneModel pane;
    std::vector<double> floorTimes;
    std::vector<double> scanTimes;
    std::vector<double> undecodedTimes;
    int decoded = 0;
    readFloor(videos);  // warm the page cache for both
    for (int round = 0; round < Rounds; ++round) {
        floorTimes.push_back(TimeSeconds([&] { readFloor(videos); }));
        undecodedTimes.push_back(TimeSeconds([&] { (void)scanIntoPane(scratch.Path(), pane, false); }));
        scanTimes.push_back(TimeSeconds([&] { decoded = scanIntoPane(scratch.Path(), pane, true); }));
    }
    PSPTitle::DestroyLibrary();

    const double floorRate = VideoCount / Median(floorTimes);
    const double scanRate = VideoCount / Median(scanTimes);
    std::printf("videos: %d, rows: %d, thumbnails decoded: %d, titled: %s\n", VideoCount, pane.RowCount(), decoded,
                pane.RowCount() > 0 && pane.Row(0).Info->FileInfo.HasTitle ? "yes" : "no");
    std::printf("floor (open, read 64 KiB, close): %.0f videos/s (median of %d)\n", floorRate, Rounds);
    std::printf("scan into pane, thumbnails decoded: %.0f videos/s (median of %d), %.0f%% of floor\n", scanRate,
                Rounds, 100.0 * scanRate / floorRate);
    std::printf("the same without decoding thumbnails: %.0f videos/s\n", VideoCount / Median(undecodedTimes));
    std::printf("goal >= 5000 videos/s: %s\n", scanRate >= 5000 ? "met" : "NOT met");
    return pane.RowCount() == VideoCount && decoded == VideoCount ? 0 : 1;
}
