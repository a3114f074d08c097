// 50 videos of 20 MiB, each with a thumbnail, sent through the transfer
// engine into a handheld folder on the same disk, against cp of the same
// files followed by sync, in the same run.
//
// The message loop is played by a stand-in that records the longest gap
// between two of its turns: the longest the window would go without
// handling input during the batch (thumbnails, names and flushes between
// videos included).

#include "bench/catalogue/BenchMedia.h"
#include "catalogue/uClass.h"
#include "catalogue/HandheldFolder.h"
#include "transfer/Transfer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Videos = 50;
constexpr std::int64_t VideoBytes = std::int64_t(20) << 20;
constexpr int ThumbnailBytes = 6 * 1024;
constexpr int Rounds = 3;

void writePattern(const std::string& path, std::int64_t bytes, int seed)
{
    std::vector<char> block(1 << 20);
    std::ofstream out(path, std::ios::binary);
    for (std::int64_t written = 0; written < bytes; written += static_cast<std::int64_t>(block.size())) {
        for (std::size_t i = 0; i < block.size(); i += 64)
            block[i] = static_cast<char>(seed + written / 4096 + i);
        const auto size = static_cast<std::streamsize>(std::min<std::int64_t>(bytes - written, block.size()));
        out.write(block.data(), size);
    }
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

// The message loop's stand-in: notes when each turn comes.
struct TTurnClock {
    bool Measuring = false;
    Clock::time_point Last;
    double LongestGapMs = 0;
    long Turns = 0;

    void Start()
    {
        Measuring = true;
        Last = Clock::now();
    }
    void Turn()
    {
        const auto now = Clock::now();
        if (Measuring)
            LongestGapMs = std::max(LongestGapMs, std::chrono::duration<double, std::milli>(now - Last).count());
        Last = now;
        ++Turns;
    }
};

} // namespace

int main(int argc, char** argv)
{
    const ScratchFolder scratch(argc > 1 ? argv[1] : "");
    const std::string sources = scratch.Path() + "pc/";
    fs::create_directories(sources);
    TBatchSnapshot snapshot;
    std::string cpArguments;
    for (int video = 0; video < Videos; ++video) {
        TBatchItem item;
        item.Row = video;
        item.Info.FileName = "video" + std::to_string(video) + ".mp4";
        item.Info.FullPath = sources + item.Info.FileName;
        item.Info.Size = static_cast<double>(VideoBytes);
        item.Info.ThumbPath = sources + "video" + std::to_string(video) + ".THM";
        item.Info.ThumbSize = ThumbnailBytes;
        item.Info.NoThumb = false;
        writePattern(item.Info.FullPath, VideoBytes, video);
        writePattern(item.Info.ThumbPath, ThumbnailBytes, 100 + video);
        cpArguments += " '" + item.Info.FullPath + "' '" + item.Info.ThumbPath + "'";
        AddToSnapshot(snapshot, std::move(item));
    }
    // Both read from the page cache.
    (void)std::system(("cat" + cpArguments + " > /dev/null").c_str());

    TTurnClock clock;
    TCopyFile copier;
    TBatchProgress progress;
    copier.OnProgress = [&progress](int count, const std::string& path) { progress.Report(count, path); };
    copier.OnTurn = [&clock] { clock.Turn(); };
    TTransferHooks hooks;
    hooks.Report = [&progress](double units, const std::string& path) { progress.Report(units, path); };

    const std::string drive = scratch.Path() + "psp";
    const std::string cpTarget = scratch.Path() + "cp/";
    std::vector<double> cpTimes, engineTimes;
    bool allDone = true;
    for (int round = 0; round < Rounds; ++round) {
        fs::create_directories(cpTarget);
        const std::string cp = "cp --reflink=never" + cpArguments + " '" + cpTarget + "' && sync -f '" + cpTarget + "'";
        cpTimes.push_back(TimeSeconds([&] { allDone = std::system(cp.c_str()) == 0 && allDone; }));
        fs::remove_all(cpTarget);

        int highest = 0;
        const TTransferRequest request{TTransferWay::ToHandheld, TTransferKind::Copy, THandheldFolder::OnDrive(drive).Path(), &highest, {}, {}};
        progress.Start(snapshot.NeededBytes, Videos);
        clock.Start();
        TBatchResult result;
        engineTimes.push_back(TimeSeconds([&] { result = RunTransfer(request, snapshot, copier, progress, hooks); }));
        clock.Measuring = false;
        allDone = allDone && result.Outcome == TBatchOutcome::Done && highest == Videos
               && fs::file_size(THandheldFolder::OnDrive(drive).Path() + THandheldFolder::VideoName(Videos)) == std::uintmax_t(VideoBytes);
        fs::remove_all(drive);
    }

    const double mib = (static_cast<double>(VideoBytes) + ThumbnailBytes) * Videos / (1 << 20);
    const double cpRate = mib / Median(cpTimes);
    const double engineRate = mib / Median(engineTimes);
    std::printf("%d videos of %lld MiB with thumbnails, %.0f MiB, %d rounds, medians\n", Videos,
                static_cast<long long>(VideoBytes >> 20), mib, Rounds);
    std::printf("cp + sync:     %.0f MiB/s\n", cpRate);
    std::printf("engine (send): %.0f MiB/s = %.2f x cp + sync (goal >= 0.9)\n", engineRate, engineRate / cpRate);
    std::printf("message-loop turns: %ld, longest gap %.1f ms (goal <= 20)\n", clock.Turns, clock.LongestGapMs);
    std::printf("progress %d%%, status \"%s\"\n", progress.Percent(), progress.StatusText().c_str());
    return allDone ? 0 : 1;
}
