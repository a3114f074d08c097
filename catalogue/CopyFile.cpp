// The chunked copier. The bytes move in large blocks, sent to the medium
// as they go (TWriteBehind); the progress events still come one per
// 100-byte chunk of the file, each after its bytes were written, so the
// window's progress and its message-loop turns look exactly as with a
// 100-byte loop.

#include "catalogue/uClass.h"

#include "catalogue/WriteBehind.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <cerrno>
#include <system_error>

namespace {

constexpr int ChunkBytes = 100;
// The events of the last bytes wait for the final flush: reported one by
// one while the medium confirms, they keep the window's turns coming
// instead of freezing it for the flush (a fraction of a second on a
// journalling disk).
constexpr std::int64_t HeldBackBytes = 2000 * ChunkBytes;
constexpr auto FlushPace = std::chrono::milliseconds(1);

const char* const CopyFailedText = "Read/Write file fail!";

// Thrown out of a chunk report when the caller asked the copy to stop.
struct TCopyStopped {};

std::string describe(const std::string& what, const std::string& path, int error)
{
    return "cannot " + what + " " + path + ": " + platform::ErrorText(error);
}

// Turns written bytes into the 100-byte chunk events.
class TChunkReporter {
public:
    TChunkReporter(const TCopyFile& copier, const std::string& source) : FCopier(copier), FSource(source) {}

    // Reports every full chunk of what was written, but the held-back tail.
    // A short read in mid-file still never gives a short chunk in mid-file.
    void Written(std::int64_t bytes)
    {
        for (FUnreported += bytes; FUnreported - ChunkBytes >= HeldBackBytes;)
            Report(ChunkBytes);
    }

    // Reports what is left, the last chunk holding the remainder, calling
    // `between` after each chunk but the last.
    template <class Between>
    void Drain(Between&& between)
    {
        while (FUnreported > 0) {
            Report(static_cast<int>(std::min<std::int64_t>(ChunkBytes, FUnreported)));
            if (FUnreported > 0)
                between();
        }
    }

private:
    void Report(int count)
    {
        FUnreported -= count;
        if (FCopier.OnProgress)
            FCopier.OnProgress(count, FSource);
        if (FCopier.OnTurn)
            FCopier.OnTurn();
        if (FCopier.ShouldStop && FCopier.ShouldStop())
            throw TCopyStopped{};
    }

    const TCopyFile& FCopier;
    const std::string& FSource;
    std::int64_t FUnreported = 0;
};

// A failed step of the copy: errno and whether the source or the
// destination failed. Error 0 means success.
struct TStepResult {
    int Error = 0;
    bool SourceFailed = false;
};

// Moves every byte from `from` to `to`.
TStepResult copyContents(int from, int to, TChunkReporter& reporter)
{
    const auto buffer = std::make_unique_for_overwrite<char[]>(TWriteBehind::LargestBlock);
    TWriteBehind writeBehind(to);
    for (;;) {
        const ssize_t count = platform::ReadSome(from, buffer.get(), writeBehind.BlockSize());
        if (count < 0)
            return {errno, true};
        if (count == 0)
            return {};
        int error = platform::WriteAll(to, buffer.get(), static_cast<std::size_t>(count));
        if (error == 0)
            error = writeBehind.Written(static_cast<std::size_t>(count));
        if (error != 0)
            return {error, false};
        reporter.Written(count);
    }
}

// Flushes `fd`, then the folder that holds it, on a helper thread while
// the held-back chunks are reported on this one. The helper touches
// nothing but the descriptor and the folder, and is joined on every way
// out (the future's destructor waits), an exception from a handler
// included.
int flushWhileReporting(int fd, const std::string& folder, TChunkReporter& reporter)
{
    const auto flush = [fd, folder] {
        const int synced = platform::SyncFile(fd);
        return synced != 0 ? synced : platform::SyncDirectory(folder);
    };
    std::future<int> flushed;
    try {
        flushed = std::async(std::launch::async, flush);
    } catch (const std::system_error&) {
        // No thread to be had: flush here, then report.
        const int synced = flush();
        reporter.Drain([] {});
        return synced;
    }
    reporter.Drain([&] { flushed.wait_for(FlushPace); });
    return flushed.get();
}

} // namespace

bool TCopyFile::Execute(const std::string& Source, const std::string& Dest)
{
    FailureText.clear();
    if (!DestMountPoint.empty() && !IsOnMountedDrive(Dest, DestMountPoint)) {
        FailureText = "cannot write " + Dest + ": " + DestMountPoint + " is not mounted";
        return false;
    }
    const std::string folder = platform::FolderOf(Dest);
    if (!folder.empty() && !platform::IsDirectory(folder)) {
        // A folder that cannot be made shows up as a failed create below.
        (void)platform::MakeDirectories(folder);
    }

    platform::OpenResult source = platform::OpenRegularForReading(Source);
    if (!source.File.IsOpen()) {
        FailureText = describe("open", Source, source.Error);
        return false;
    }
    const auto sourceStatus = platform::StatDescriptor(source.File.Get());
    const auto destStatus = platform::StatPath(Dest);
    // Truncating the destination would destroy a source that is the same file.
    if (!sourceStatus || (destStatus && platform::SameFile(*sourceStatus, *destStatus))) {
        FailureText = "cannot copy " + Source + " onto itself";
        return false;
    }

    platform::OpenResult dest = KeepExisting ? platform::CreateExclusive(Dest) : platform::CreateOrTruncate(Dest);
    if (!dest.File.IsOpen()) {
        FailureText = describe("create", Dest, dest.Error);
        return false;
    }
    const auto created = platform::StatDescriptor(dest.File.Get());

    TStepResult step;
    bool stopped = false;
    try {
        TChunkReporter reporter(*this, Source);
        step = copyContents(source.File.Get(), dest.File.Get(), reporter);
        if (step.Error == 0)
            step.Error = flushWhileReporting(dest.File.Get(), folder, reporter);
    } catch (const TCopyStopped&) {
        stopped = true;
    } catch (const std::exception& error) {
        // Whatever a handler threw, the copy has failed the same way.
        FailureText = "cannot copy " + Source + ": " + error.what();
    } catch (...) {
        FailureText = "cannot copy " + Source;
    }
    if (!stopped && FailureText.empty() && step.Error == 0) {
        step.Error = dest.File.Close();
        if (step.Error == 0)
            return true;
    }
    if (stopped)
        FailureText = "stopped while copying " + Source;
    else if (FailureText.empty())
        FailureText = step.SourceFailed ? describe("read", Source, step.Error) : describe("write", Dest, step.Error);

    // Clean up before the box waits for the user, so a medium pulled out
    // meanwhile holds no partial video.
    (void)dest.File.Close();
    (void)source.File.Close();
    const auto present = platform::StatLink(Dest);
    if (present && created && platform::SameFile(*present, *created))
        platform::RemoveFile(Dest);
    if (ShowError && !stopped)
        ShowError(CopyFailedText);
    return false;
}
