// vantrel-tool send [--move] [--convert] DRIVE VIDEO...
// vantrel-tool receive [--move] FOLDER VIDEO...
//
// The window's transfers for scripts, through the same engine. send puts
// each VIDEO into DRIVE/MP_ROOT/100MNV01/ under the next free handheld
// name after the highest number there; receive puts each handheld VIDEO
// into FOLDER under its handheld name, or with a "_N" suffix when that is
// taken. Thumbnails travel with their videos. With --convert, send
// converts the videos the handheld will not play into ones it does, and
// copies the others byte for byte.
//
// Standard output gets one line per video as it is done:
// SOURCE<TAB>DESTINATION. Standard error gets a progress line while a
// video copies (when it is a terminal) and, on failure, one line naming
// the file and the reason; the batch stops at the first failure and what
// was done stays. Exit 0 on success, 1 on failure, 2 on wrong usage.
// Ctrl-C, SIGTERM and SIGHUP stop the video under way without leaving a
// partial file. A thumbnail that could not travel gets a warning line.

#include "tools/Commands.h"

#include "catalogue/uClass.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/MountLookup.h"
#include "platform/TerminationSignals.h"
#include "transfer/BatchChecks.h"
#include "transfer/ConversionPlan.h"
#include "transfer/Transfer.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct TTransferArguments {
    bool Move = false;
    bool Convert = false;
    std::string Destination;
    std::vector<std::string> Videos;
};

// The options come first, in any order; --convert only where `converts`.
std::optional<TTransferArguments> parseTransferArguments(int argc, char** argv, bool converts)
{
    TTransferArguments arguments;
    int next = 0;
    for (; next < argc && std::strncmp(argv[next], "--", 2) == 0; ++next) {
        if (std::strcmp(argv[next], "--move") == 0)
            arguments.Move = true;
        else if (converts && std::strcmp(argv[next], "--convert") == 0)
            arguments.Convert = true;
        else
            return std::nullopt;
    }
    if (argc - next < 2)
        return std::nullopt;
    arguments.Destination = argv[next++];
    for (; next < argc; ++next)
        arguments.Videos.emplace_back(argv[next]);
    return arguments;
}

int fail(const std::string& text)
{
    std::fprintf(stderr, "vantrel-tool: %s\n", text.c_str());
    return 1;
}

// The records of the videos, as a scan of their folders makes them.
std::optional<TBatchSnapshot> describeVideos(const std::vector<std::string>& videos, std::string& problem)
{
    TListFiles scanner;
    TBatchSnapshot snapshot;
    for (const std::string& video : videos) {
        std::optional<TFileInfo> info = scanner.DescribeFile(video);
        if (!info) {
            const auto status = platform::StatPath(video);
            problem = "cannot read " + video + ": "
                    + (status ? std::string("not a regular file") : platform::ErrorText(errno));
            return std::nullopt;
        }
        info->FullPath = video;
        AddToSnapshot(snapshot, TBatchItem{-1, std::move(*info)});
    }
    return snapshot;
}

// The progress line on a terminal: rewritten in place, built only when
// the percentage or the file changes.
class TProgressLine {
public:
    explicit TProgressLine(TBatchProgress& progress) : FProgress(progress), FShown(isatty(STDERR_FILENO) == 1) {}
    ~TProgressLine() { Finish(); }
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;

    void Report(double units, const std::string& path)
    {
        const bool newText = FProgress.Report(units, path);
        const int percent = FProgress.Percent();
        if (!FShown || (!newText && percent == FLastPercent))
            return;
        FLastPercent = percent;
        std::fprintf(stderr, "\r\033[K%s %d%%", FProgress.StatusText().c_str(), percent);
        std::fflush(stderr);
        FDrawn = true;
    }

    // Clears the line so the next output starts on a clean one.
    void Finish()
    {
        if (FDrawn)
            std::fputs("\r\033[K", stderr);
        FDrawn = false;
    }

private:
    TBatchProgress& FProgress;
    bool FShown;
    bool FDrawn = false;
    int FLastPercent = -1;
};

int runTransfer(TTransferWay way, int argc, char** argv, const char* usage)
{
    const bool toHandheld = way == TTransferWay::ToHandheld;
    const std::optional<TTransferArguments> arguments = parseTransferArguments(argc, argv, toHandheld);
    if (!arguments) {
        std::fputs(usage, stderr);
        return 2;
    }
    std::string problem;
    std::optional<TBatchSnapshot> snapshot = describeVideos(arguments->Videos, problem);
    if (!snapshot)
        return fail(problem);
    if (arguments->Convert)
        PlanConversions(*snapshot, UnplayableItems(*snapshot));

    const std::string& destination = arguments->Destination;
    if (!platform::IsDirectory(destination))
        return fail("cannot use " + destination + ": not a folder");
    const std::string folder = toHandheld ? THandheldFolder::OnDrive(destination).Path() : platform::WithTrailingSlash(destination);

    const TBatchVerdict verdict = CheckBatch(*snapshot, folder, QueryFolderSpace(destination).freeBytes);
    switch (verdict.Check) {
    case TBatchCheck::Go: break;
    case TBatchCheck::NoRoom: return fail(destination + ": Not enough free disk space for storage.");
    case TBatchCheck::TooLarge:
        return fail(verdict.TooLarge->FullPath + ": 4 GB or larger, more than the " + verdict.FsType
                    + " file system of " + destination + " can hold");
    }

    int highest = toHandheld ? THandheldFolder(folder).HighestNumber() : 0;
    // A DRIVE that is a mount point is held to it: should it be unmounted
    // part-way, nothing is written into the folder it leaves behind.
    TTransferRequest request{way, arguments->Move ? TTransferKind::Move : TTransferKind::Copy, folder,
                             toHandheld ? &highest : nullptr,
                             toHandheld && IsMounted(destination) ? destination : std::string(), {}};
    // Handheld sources are held to the drive they are on, so a move
    // deletes nothing below it once it is unplugged.
    if (!toHandheld) {
        if (const std::optional<MountEntry> source = MountHolding(snapshot->Items.front().Info.FullPath))
            request.SourceDriveMountPoint = source->mountPoint;
    }

    TBatchProgress progress;
    progress.Start(snapshot->NeededBytes, static_cast<int>(snapshot->Items.size()));
    TProgressLine progressLine(progress);
    TCopyFile copier;
    copier.OnProgress = [&](int count, const std::string& source) { progressLine.Report(count, source); };

    TTransferHooks hooks;
    hooks.Report = [&](double units, const std::string& path) { progressLine.Report(units, path); };
    hooks.ShouldStop = [] { return platform::TerminationSignals::Requested(); };
    hooks.Arrived = [&](const TBatchItem& source, const TFileInfo& arrived, bool) {
        progressLine.Finish();
        std::printf("%s\t%s\n", source.Info.FullPath.c_str(), arrived.FullPath.c_str());
        std::fflush(stdout);
    };

    const platform::TerminationSignals endingSignals;
    const TBatchResult result = RunTransfer(request, *snapshot, copier, progress, hooks);
    progressLine.Finish();

    for (const TLeftBehind& thumbnail : result.ThumbnailsLeft)
        std::fprintf(stderr, "vantrel-tool: warning: thumbnail %s stayed behind: %s\n", thumbnail.Path.c_str(),
                     thumbnail.Reason.c_str());
    int status = 0;
    for (const std::string& stayed : result.Stayed)
        status = fail("cannot delete " + stayed + "; it stays where it was");
    switch (result.Outcome) {
    case TBatchOutcome::Done: return status;
    case TBatchOutcome::Stopped: return fail("stopped; the video under way was not kept");
    case TBatchOutcome::Failed: return fail(result.FailureText);
    }
    return 1;
}

} // namespace

int runSendCommand(int argc, char** argv)
{
    return runTransfer(TTransferWay::ToHandheld, argc, argv,
                       "usage: vantrel-tool send [--move] [--convert] DRIVE VIDEO...\n"
                       "  DRIVE is the folder at the root of the handheld; --convert converts\n"
                       "  the videos the handheld will not play\n");
}

int runReceiveCommand(int argc, char** argv)
{
    return runTransfer(TTransferWay::ToComputer, argc, argv,
                       "usage: vantrel-tool receive [--move] FOLDER VIDEO...\n"
                       "  each handheld VIDEO goes to FOLDER\n");
}
