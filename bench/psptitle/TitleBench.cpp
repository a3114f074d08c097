// Title library benchmark.
//
//   build/bench/psptitle_bench [FOLDER]
//
// 1. Reads the titles of 1,000 handheld videos made by FFmpeg, beside a
//    floor measured in the same run: open, read the first 64 KiB, close;
//    title reads should keep up with it.
// 2. Saves a title 100 characters longer into a 1 GB handheld video, once
//    with the movie box last (FFmpeg's handheld layout) and once with it
//    first, and reports the time and the bytes written.
// 3. On movie-length handheld videos (one and two hours, a ten-second clip
//    looped by FFmpeg without re-encoding): the bytes one title read
//    takes, the bytes and flushes one save takes, and title reads per
//    second against the same floor on those files.
// FOLDER (default: a new one under /tmp) holds the videos; it is removed
// afterwards.

#include "psptitle/Storage.h"
#include "psptitle/TitleLibSeam.h"
#include "psptitle/psptitle.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int videoCount = 1000;
constexpr std::uint64_t bigSize = std::uint64_t{1} << 30;

void MakeVideo(const fs::path& target, const std::string& title, bool movieFirst)
{
    const std::string command = "ffmpeg -nostdin -y -v error -f lavfi -i testsrc=duration=2:size=160x120:rate=10 "
                                "-f lavfi -i sine=duration=2 -c:v mpeg4 -c:a aac -metadata 'title=" + title + "' " +
                                (movieFirst ? "-movflags +faststart " : "") + "-f psp '" + target.string() + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "ffmpeg failed\n");
        std::exit(1);
    }
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// The best of three passes over every file.
template <typename Work>
double bestPass(const std::vector<std::string>& files, Work&& work)
{
    double best = 1e9;
    for (int pass = 0; pass < 3; ++pass) {
        const auto start = Clock::now();
        for (const std::string& file : files)
            work(file);
        best = std::min(best, seconds(Clock::now() - start));
    }
    return best;
}

// The floor title reads are measured against: open, read the first
// 64 KiB, close. `sink` keeps the reads from being optimised away.
double floorPass(const std::vector<std::string>& files, long& sink)
{
    std::vector<char> buffer(64 * 1024);
    return bestPass(files, [&](const std::string& file) {
        const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        sink += ::read(fd, buffer.data(), buffer.size());
        ::close(fd);
    });
}

void benchmarkReads(const fs::path& folder)
{
    std::vector<std::string> files;
    for (int i = 0; i < videoCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "M4V%05d.MP4", i + 1);
        files.push_back((folder / name).string());
        // FFmpeg makes ten distinct videos; the rest are copies of them.
        if (i < 10)
            MakeVideo(files.back(), "Video number " + std::to_string(i), false);
        else
            fs::copy_file(files[static_cast<std::size_t>(i % 10)], files.back());
    }
    long sink = 0;
    const double floor = floorPass(files, sink);
    TitleLib* lib = TitleLibCreate();
    int failures = 0;
    const double titles = bestPass(files, [&](const std::string& file) {
        if (TitleLibOpen(lib, file.c_str()) == 0)
            ++failures;
        sink += TitleLibGetTitle(lib)[0];
        TitleLibClose(lib);
    });
    TitleLibDestroy(lib);
    const double floorRate = videoCount / floor;
    const double titleRate = videoCount / titles;
    std::printf("reads: %d handheld videos, %d failed\n", videoCount, failures);
    std::printf("  floor (open, read 64 KiB, close): %9.0f files/s\n", floorRate);
    std::printf("  titles (open, get title, close):  %9.0f files/s  = %.2f x floor (goal >= 1.00)\n", titleRate,
                titleRate / floorRate);
    if (sink == 42)
        std::puts("");
}

// Counts what the title library does to the files, on the real file
// system underneath: bytes read and written, and flushes.
struct Traffic {
    std::uint64_t read = 0;
    std::uint64_t written = 0;
    int flushes = 0;
};

class CountingStorage final : public psptitle::Storage {
public:
    Traffic traffic;

    psptitle::PathFacts inspect(const std::string& path) override { return real_->inspect(path); }
    int openForReading(const std::string& path, std::unique_ptr<psptitle::FileAccess>& file) override
    {
        return counted(real_->openForReading(path, file), file);
    }
    int openForWriting(const std::string& path, std::unique_ptr<psptitle::FileAccess>& file) override
    {
        return counted(real_->openForWriting(path, file), file);
    }
    bool onReadOnlyMedium(const std::string& path) override { return real_->onReadOnlyMedium(path); }

private:
    class CountingFile final : public psptitle::FileAccess {
    public:
        CountingFile(std::unique_ptr<psptitle::FileAccess> real, Traffic& traffic)
            : real_(std::move(real)), traffic_(traffic)
        {
        }
        int readAt(std::uint64_t offset, std::span<std::byte> buffer, std::size_t& got) override
        {
            const int error = real_->readAt(offset, buffer, got);
            traffic_.read += got;
            return error;
        }
        int writeAt(std::uint64_t offset, std::span<const std::byte> bytes) override
        {
            traffic_.written += bytes.size();
            return real_->writeAt(offset, bytes);
        }
        int flush() override
        {
            ++traffic_.flushes;
            return real_->flush();
        }
        int truncate(std::uint64_t size) override { return real_->truncate(size); }
        int identify(psptitle::FileIdentity& identity) override { return real_->identify(identity); }
        int lock(bool exclusive) override { return real_->lock(exclusive); }

    private:
        std::unique_ptr<psptitle::FileAccess> real_;
        Traffic& traffic_;
    };

    int counted(int error, std::unique_ptr<psptitle::FileAccess>& file)
    {
        if (error == 0)
            file = std::make_unique<CountingFile>(std::move(file), traffic);
        return error;
    }

    std::unique_ptr<psptitle::Storage> real_ = psptitle::makePosixStorage();
};

std::uint32_t u32At(const std::vector<unsigned char>& b, std::size_t at)
{
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

// Grows the video's media data box to make the file 1 GB: the grown part is
// a hole after the real media data, which the chunk offsets never point
// into, so the video stays valid and plays as before.
void growToOneGigabyte(const fs::path& small, const fs::path& big)
{
    std::ifstream in(small, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t mdatAt = 0;
    while (mdatAt + 8 <= bytes.size() && std::string(bytes.begin() + static_cast<std::ptrdiff_t>(mdatAt + 4),
                                                      bytes.begin() + static_cast<std::ptrdiff_t>(mdatAt + 8)) != "mdat")
        mdatAt += u32At(bytes, mdatAt);
    const std::uint32_t mdatSize = u32At(bytes, mdatAt);
    const std::uint64_t growth = bigSize - bytes.size();
    const int fd = ::open(big.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::vector<unsigned char> head(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(mdatAt + mdatSize));
    const auto grown = static_cast<std::uint32_t>(mdatSize + growth);
    for (int i = 0; i < 4; ++i)
        head[mdatAt + static_cast<std::size_t>(i)] = static_cast<unsigned char>(grown >> (24 - 8 * i));
    bool ok = ::pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size());
    const std::size_t tail = bytes.size() - head.size();
    ok = ok && ::pwrite(fd, bytes.data() + head.size(), tail, static_cast<off_t>(head.size() + growth)) ==
                   static_cast<ssize_t>(tail);
    ok = ok && ::ftruncate(fd, static_cast<off_t>(bigSize)) == 0 && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok) {
        std::fprintf(stderr, "cannot write %s\n", big.c_str());
        std::exit(1);
    }
}

void benchmarkSave(const fs::path& folder, bool movieFirst)
{
    const std::string oldTitle = "Holiday";
    const fs::path small = folder / (movieFirst ? "small-first.MP4" : "small-last.MP4");
    const fs::path big = folder / (movieFirst ? "big-first.MP4" : "big-last.MP4");
    MakeVideo(small, oldTitle, movieFirst);
    growToOneGigabyte(small, big);

    std::u16string title(oldTitle.begin(), oldTitle.end());
    title += std::u16string(100, u'x');
    auto owned = std::make_unique<CountingStorage>();
    CountingStorage& storage = *owned;
    TitleLib* lib = TitleLibCreateWithStorage(std::move(owned));
    const auto start = Clock::now();
    const bool saved = TitleLibOpen(lib, big.c_str()) != 0 && TitleLibSetTitle(lib, title.c_str()) != 0 &&
                       TitleLibSave(lib) != 0;
    const double took = seconds(Clock::now() - start);
    if (!saved)
        std::printf("  save failed: %s\n", TitleLibErrorText(lib));
    const std::uint64_t written = storage.traffic.written;
    TitleLibDestroy(lib);  // also destroys the storage
    std::printf("save on a %.2f GB video, moov %s: %.2f ms, %llu bytes written (goal < 50 ms, < 1 MB)\n",
                static_cast<double>(fs::file_size(big)) / 1e9, movieFirst ? "first" : "last ", took * 1e3,
                static_cast<unsigned long long>(written));
    fs::remove(big);
}

void run(const std::string& command)
{
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

// A handheld video of `minutes` minutes: `clip` (ten seconds) looped.
fs::path makeLongVideo(const fs::path& folder, const fs::path& clip, int minutes)
{
    const fs::path target = folder / ("long-" + std::to_string(minutes) + ".MP4");
    run("ffmpeg -nostdin -y -v error -stream_loop " + std::to_string(minutes * 6 - 1) + " -i '" + clip.string() +
        "' -c copy -metadata 'title=A long film' -f psp '" + target.string() + "'");
    return target;
}

std::uint64_t movieBoxSize(const fs::path& video)
{
    std::ifstream in(video, std::ios::binary);
    std::vector<unsigned char> header(8);
    std::uint64_t at = 0;
    const std::uint64_t size = fs::file_size(video);
    while (at + 8 <= size) {
        in.seekg(static_cast<std::streamoff>(at));
        in.read(reinterpret_cast<char*>(header.data()), 8);
        const std::uint64_t boxSize = u32At(header, 0);
        if (std::string(header.begin() + 4, header.end()) == "moov")
            return boxSize;
        if (boxSize < 8)
            break;
        at += boxSize;
    }
    return 0;
}

void benchmarkMovieLength(const fs::path& folder)
{
    const fs::path clip = folder / "clip.MP4";
    run("ffmpeg -nostdin -y -v error -f lavfi -i testsrc=duration=10:size=160x120:rate=30 -f lavfi -i "
        "sine=duration=10 -c:v mpeg4 -c:a aac -f psp '" + clip.string() + "'");
    std::printf("movie-length videos (goal: <= 64 KiB read per title, <= 64 KiB written and <= 5 flushes per save):\n");
    for (const int minutes : {60, 120}) {
        const fs::path video = makeLongVideo(folder, clip, minutes);
        const std::string path = video.string();

        auto owned = std::make_unique<CountingStorage>();
        CountingStorage& storage = *owned;
        TitleLib* lib = TitleLibCreateWithStorage(std::move(owned));
        const bool opened = TitleLibOpen(lib, path.c_str()) != 0;
        const std::uint64_t readPerTitle = storage.traffic.read;
        storage.traffic = {};
        const bool saved = opened && TitleLibSetTitle(lib, u"A long film, retitled") != 0 && TitleLibSave(lib) != 0;
        const Traffic save = storage.traffic;
        if (!saved)
            std::printf("  save failed: %s\n", TitleLibErrorText(lib));
        TitleLibDestroy(lib);

        const std::vector<std::string> files(100, path);
        long sink = 0;
        const double floor = floorPass(files, sink);
        TitleLib* reader = TitleLibCreate();
        const double titles = bestPass(files, [&](const std::string& file) {
            sink += TitleLibOpen(reader, file.c_str());
            TitleLibClose(reader);
        });
        TitleLibDestroy(reader);
        std::printf("  %3d min, %.0f MB, movie box %.2f MB: %llu bytes read per title; save: %llu bytes written, "
                    "%d flushes; titles %.0f/s = %.2f x floor\n",
                    minutes, static_cast<double>(fs::file_size(video)) / 1e6,
                    static_cast<double>(movieBoxSize(video)) / 1e6, static_cast<unsigned long long>(readPerTitle),
                    static_cast<unsigned long long>(save.written), save.flushes, files.size() / titles,
                    floor / titles);
        if (sink == 42)
            std::puts("");
        fs::remove(video);
    }
}

} // namespace

int main(int argc, char** argv)
{
    fs::path folder;
    if (argc > 1) {
        folder = argv[1];
        fs::create_directories(folder);
    } else {
        char pattern[] = "/tmp/psptitle-bench-XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            return 1;
        folder = pattern;
    }
    benchmarkReads(folder);
    benchmarkSave(folder, false);
    benchmarkSave(folder, true);
    benchmarkMovieLength(folder);
    fs::remove_all(folder);
    return 0;
}
