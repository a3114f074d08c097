// The chunked copier. The bytes move in large blocks, sent to the medium
// as they go (TWriteBehind); the progress events still come one per
// 100-byte chunk of the file, each after its bytes were written, so the
// window's progress and its message-loop turns look exactly as with a
// 100-byte loop.

#include "catalogue/uClass.h"

#include "catalogue/WriteBehind.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/StagedFile.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <cerrno>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

constexpr int ChunkBytes = 100;
// The events of the last bytes wait for the final flush: reported one by
// one while the medium confirms, they keep the window's turns coming
// instead of freezing it for the flush (a fraction of a second on a
// journalling disk).
constexpr std::int64_t HeldBackBytes = 2000 * ChunkBytes;
constexpr auto FlushPace = std::chrono::milliseconds(1);

const char* const CopyFailedText = "Read/Write file fail!";

std::string describe(const std::string& what, const std::string& path, int error)
{
    return "cannot " + what + " " + path + ": " + platform::ErrorText(error);
}

// Turns written bytes into the 100-byte chunk events.
class TChunkReporter {
public:
    // `heldBack`: bytes whose chunks wait for Drain.
    TChunkReporter(const TCopyFile& copier, const std::string& source, std::int64_t heldBack)
        : FCopier(copier), FSource(source), FHeldBack(heldBack)
    {
    }

    // Reports every full chunk of what was written, but the held-back tail.
    // A short read in mid-file still never gives a short chunk in mid-file.
    // False once the caller asked the copy to stop.
    [[nodiscard]] bool Written(std::int64_t bytes)
    {
        for (FUnreported += bytes; FUnreported - ChunkBytes >= FHeldBack;) {
            if (!Report(ChunkBytes))
                return false;
        }
        return true;
    }

    // Reports what is left, the last chunk holding the remainder, calling
    // `between` after each chunk but the last. False when stopped.
    template <class Between>
    [[nodiscard]] bool Drain(Between&& between)
    {
        while (FUnreported > 0) {
            if (!Report(static_cast<int>(std::min<std::int64_t>(ChunkBytes, FUnreported))))
                return false;
            if (FUnreported > 0)
                between();
        }
        return true;
    }

    bool Stopped() const { return FStopped; }

private:
    bool Report(int count)
    {
        FUnreported -= count;
        if (FCopier.OnProgress)
            FCopier.OnProgress(count, FSource);
        if (FCopier.OnTurn)
            FCopier.OnTurn();
        FStopped = FCopier.ShouldStop && FCopier.ShouldStop();
        return !FStopped;
    }

    const TCopyFile& FCopier;
    const std::string& FSource;
    const std::int64_t FHeldBack;
    std::int64_t FUnreported = 0;
    bool FStopped = false;
};

// A step of the copy: errno and whether the source or the destination
// failed. Error 0 means success, unless the caller stopped the copy.
struct TStepResult {
    int Error = 0;
    bool SourceFailed = false;
    bool Stopped = false;
};

// Moves every byte from `from` to `to`. The kernel copies each block
// itself where it can, without a trip through this process's memory;
// where it cannot (file systems it does not copy between, an old
// kernel), and for the rest of the file once a block fails, read and
// write take over, so a failure is still told as the source's or the
// destination's. Every block is reported as its bytes arrive.
TStepResult copyContents(int from, int to, TChunkReporter& reporter)
{
    const auto buffer = std::make_unique_for_overwrite<char[]>(TWriteBehind::LargestBlock);
    TWriteBehind writeBehind(to);
    bool kernelCopies = true;
    for (;;) {
        ssize_t count = -1;
        if (kernelCopies) {
            count = ::copy_file_range(from, nullptr, to, nullptr, writeBehind.BlockSize(), 0);
            if (count < 0 && errno == EINTR)
                continue;
            kernelCopies = count >= 0;
        }
        if (!kernelCopies) {
            count = platform::ReadSome(from, buffer.get(), writeBehind.BlockSize());
            if (count < 0)
                return {errno, true};
            if (count > 0) {
                if (const int error = platform::WriteAll(to, buffer.get(), static_cast<std::size_t>(count)); error != 0)
                    return {error, false};
            }
        }
        if (count == 0)
            return {};
        if (const int error = writeBehind.Written(static_cast<std::size_t>(count)); error != 0)
            return {error, false};
        if (!reporter.Written(count))
            return {0, false, true};
    }
}

// Commits the staged copy (file flushed, named, folder flushed, folders
// made for it flushed with their parents) on a helper thread while the
// held-back chunks are reported on this one. The helper touches nothing
// but the staged file and those folders, and is joined on every way out
// (the future's destructor waits), an exception from a handler included.
// A stop during the report still removes the file, under its new name.
TStepResult commitWhileReporting(platform::StagedFile& staged, const std::string& name, bool replace,
                                 const std::vector<std::string>& madeFolders, TChunkReporter& reporter)
{
    const auto commit = [&staged, &name, replace, &madeFolders] {
        const int committed = staged.Commit(name, replace);
        return committed != 0 ? committed : platform::SyncMadeFolders(madeFolders);
    };
    std::future<int> committed;
    try {
        committed = std::async(std::launch::async, commit);
    } catch (const std::system_error&) {
        // No thread to be had: commit here, then report.
        const int error = commit();
        if (!reporter.Drain([] {}))
            return {0, false, true};
        return {error, false};
    }
    const bool drained = reporter.Drain([&] { committed.wait_for(FlushPace); });
    const int error = committed.get();
    if (!drained)
        return {0, false, true};
    return {error, false};
}

} // namespace

int TWrittenCopy::Commit()
{
    int error = File.Commit(platform::NameOf(Dest), Replace);
    if (error == 0)
        error = platform::SyncMadeFolders(MadeFolders);
    return error != 0 ? error : File.Finish();
}

bool TCopyFile::Execute(const std::string& Source, const std::string& Dest)
{
    const TCopyResult result = Run(Source, Dest);
    FailureText = result.Text;
    return result.Ok();
}

TCopyResult TCopyFile::Run(const std::string& Source, const std::string& Dest)
{
    return Copy(Source, Dest, nullptr);
}

TCopyResult TCopyFile::Write(const std::string& Source, const std::string& Dest, std::optional<TWrittenCopy>& written)
{
    written.reset();
    return Copy(Source, Dest, &written);
}

TCopyResult TCopyFile::CommitFailure(const std::string& Dest, int error, bool tell) const
{
    TCopyResult result{TCopyStatus::Failed, error, Dest, describe("write", Dest, error)};
    if (tell && ShowError) {
        ShowError(CopyFailedText);
        result.Shown = true;
    }
    return result;
}

TCopyResult TCopyFile::Copy(const std::string& Source, const std::string& Dest, std::optional<TWrittenCopy>* written)
{
    FailureText.clear();
    const auto failed = [](int error, const std::string& path, std::string text) {
        return TCopyResult{TCopyStatus::Failed, error, path, std::move(text)};
    };
    if (!DestMountPoint.empty() && !IsOnMountedDrive(Dest, DestMountPoint))
        return failed(ENODEV, Dest, "cannot write " + Dest + ": " + DestMountPoint + " is not mounted");

    platform::OpenResult source = platform::OpenRegularForReading(Source);
    if (!source.File.IsOpen())
        return failed(source.Error, Source, describe("open", Source, source.Error));
    const auto sourceStatus = platform::StatDescriptor(source.File.Get());
    const auto destStatus = platform::StatPath(Dest);
    // Replacing the destination would destroy a source that is the same file.
    if (!sourceStatus || (destStatus && platform::SameFile(*sourceStatus, *destStatus)))
        return failed(EINVAL, Source, "cannot copy " + Source + " onto itself");
    if (KeepExisting && platform::Exists(Dest))
        return failed(EEXIST, Dest, describe("create", Dest, EEXIST));

    const std::string folder = platform::FolderOf(Dest);
    std::vector<std::string> madeFolders;
    if (!folder.empty() && !platform::IsDirectory(folder)) {
        // A folder that cannot be made shows up as a failed create below.
        (void)platform::MakeDirectories(folder, &madeFolders);
    }
    platform::StagedResult dest = platform::CreateStaged(folder);
    if (!dest.File.IsOpen())
        return failed(dest.Error, Dest, describe("create", Dest, dest.Error));

    TStepResult step;
    std::string handlerFailure;
    try {
        // A copy left for its caller to commit reports every chunk as it
        // goes: there is no flush here to keep the turns coming through.
        TChunkReporter reporter(*this, Source, written != nullptr ? 0 : HeldBackBytes);
        step = copyContents(source.File.Get(), dest.File.Descriptor(), reporter);
        if (step.Error == 0 && !step.Stopped && written != nullptr) {
            if (!reporter.Drain([] {}))
                step.Stopped = true;
            else {
                written->emplace(TWrittenCopy{std::move(dest.File), Dest, !KeepExisting, std::move(madeFolders)});
                return {};
            }
        } else if (step.Error == 0 && !step.Stopped) {
            step = commitWhileReporting(dest.File, platform::NameOf(Dest), !KeepExisting, madeFolders, reporter);
        }
    } catch (const std::exception& error) {
        // Whatever a handler threw, the copy has failed the same way.
        handlerFailure = "cannot copy " + Source + ": " + error.what();
    } catch (...) {
        handlerFailure = "cannot copy " + Source;
    }
    if (handlerFailure.empty() && !step.Stopped && step.Error == 0) {
        step.Error = dest.File.Finish();
        if (step.Error == 0)
            return {};
    }

    // Clean up before the box waits for the user, so a medium pulled out
    // meanwhile holds no partial video: the staged file goes through the
    // folder opened at the start, never through a path.
    { const platform::StagedFile discarded(std::move(dest.File)); }
    (void)source.File.Close();
    if (step.Stopped)
        return {TCopyStatus::Stopped, 0, Source, "stopped while copying " + Source};
    TCopyResult result;
    if (!handlerFailure.empty())
        result = failed(0, Source, handlerFailure);
    else if (step.SourceFailed)
        result = failed(step.Error, Source, describe("read", Source, step.Error));
    else
        result = failed(step.Error, Dest, describe("write", Dest, step.Error));
    if (ShowError) {
        ShowError(CopyFailedText);
        result.Shown = true;
    }
    return result;
}
