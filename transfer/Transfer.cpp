#include "transfer/Transfer.h"

#include "catalogue/HandheldFolder.h"
#include "catalogue/ThumbnailUsers.h"
#include "catalogue/TurningWait.h"
#include "catalogue/uClass.h"
#include "media/Conversion.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/StagedFile.h"
#include "transfer/Deletion.h"
#include "transfer/Delivery.h"
#include "transfer/TargetNames.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <exception>
#include <future>
#include <optional>
#include <system_error>
#include <utility>

namespace {

// Sets the copier up for one video of the batch: it stops when the batch
// does, never replaces a file and stays on the batch's drive. Its own
// settings come back afterwards.
class TCopierBinding {
public:
    TCopierBinding(TCopyFile& copier, const std::function<bool()>& shouldStop, const std::string& mountPoint)
        : FCopier(copier), FShouldStop(std::exchange(copier.ShouldStop, shouldStop)),
          FKeepExisting(std::exchange(copier.KeepExisting, true)),
          FMountPoint(std::exchange(copier.DestMountPoint, mountPoint))
    {
    }
    ~TCopierBinding()
    {
        FCopier.ShouldStop = std::move(FShouldStop);
        FCopier.KeepExisting = FKeepExisting;
        FCopier.DestMountPoint = std::move(FMountPoint);
    }
    TCopierBinding(const TCopierBinding&) = delete;
    TCopierBinding& operator=(const TCopierBinding&) = delete;

private:
    TCopyFile& FCopier;
    std::function<bool()> FShouldStop;
    bool FKeepExisting;
    std::string FMountPoint;
};

// A video whose bytes are written and whose delivery ends on a thread of
// its own (its copy flushed and named, then its thumbnail copied or
// made) while the next video copies: the medium works on one while this
// thread writes the other, where a flush after every copy would have
// held each copy up for the medium.
struct TPendingDelivery {
    TBatchItem Item;
    TFileInfo Record;  // the new file's record, but its thumbnail
    std::string Dest;
    int VideoIndex = 0;
    TDelivery Delivery;
};

class TTransferRun {
public:
    TTransferRun(const TTransferRequest& request, TCopyFile& copier, TBatchProgress& progress,
                 const TTransferHooks& hooks)
        : FRequest(request), FCopier(copier), FProgress(progress), FHooks(hooks)
    {
    }

    // False when the batch must not go on; FResult says why.
    bool Transfer(const TBatchItem& item);
    // Delivers the video still under way, if any. False when it failed;
    // `dropped`, the copy written meanwhile, is then let go (its staged
    // file removed) before the failure is told.
    bool FinishPending(std::optional<TWrittenCopy>* dropped = nullptr);

    TBatchResult FResult;

private:
    std::optional<std::string> DestinationFor(const TFileInfo& info);
    bool CopyVideo(const TFileInfo& info, const std::string& dest, std::optional<TWrittenCopy>& written);
    bool ConvertVideo(const TBatchItem& item, const std::string& dest, TFileInfo& record);
    void StartDelivery(const TBatchItem& item, TFileInfo record, const std::string& dest,
                       std::optional<TWrittenCopy> written);
    void SettleThumbnail(const TPendingDelivery& pending, const TDeliveryOutcome& outcome, TFileInfo& record);
    bool OnDestinationDrive(const std::string& path) const
    {
        return FRequest.DriveMountPoint.empty() || IsOnMountedDrive(path, FRequest.DriveMountPoint);
    }
    bool DeleteSource(const TFileInfo& source, bool withThumbnail);
    bool StopRequested() const { return FHooks.ShouldStop && FHooks.ShouldStop(); }
    bool Moving() const { return FRequest.Kind == TTransferKind::Move; }
    void Fail(std::string text, std::string path, int error = 0)
    {
        FResult.Outcome = TBatchOutcome::Failed;
        FResult.FailureText = std::move(text);
        FResult.FailurePath = std::move(path);
        FResult.Error = error;
    }

    TThumbnailUsers FThumbnailUsers;
    const TTransferRequest& FRequest;
    TCopyFile& FCopier;
    TBatchProgress& FProgress;
    const TTransferHooks& FHooks;
    // Last, so it goes first: its worker reads the request.
    std::optional<TPendingDelivery> FPending;
};

bool TTransferRun::Transfer(const TBatchItem& item)
{
    if (StopRequested()) {
        if (FinishPending())
            FResult.Outcome = TBatchOutcome::Stopped;
        return false;
    }
    const bool converting = item.Convert && FRequest.Way == TTransferWay::ToHandheld;
    FProgress.NextVideo(converting);
    const std::optional<std::string> dest = DestinationFor(item.Info);
    if (!dest) {
        if (FinishPending())
            Fail("no free handheld file name is left in " + FRequest.Folder, FRequest.Folder);
        return false;
    }
    TFileInfo record = item.Info;
    std::optional<TWrittenCopy> written;
    // A conversion names its file itself, so it waits for the video before
    // it: should that one fail, nothing of this one may stay.
    if (converting && !FinishPending())
        return false;
    const bool copied = converting ? ConvertVideo(item, *dest, record) : CopyVideo(item.Info, *dest, written);
    // The video before this one ends first, and its failure is the
    // batch's: this copy is then dropped, and with it its staged file.
    if (!FinishPending(&written) || !copied)
        return false;

    // Any error from here on (a row that cannot be built) stops the batch
    // with the video already delivered.
    try {
        record.NewPath = FRequest.Way == TTransferWay::ToHandheld ? item.Info.FileName : std::string();
        record.FileName = platform::NameOf(*dest);
        record.FullPath = *dest;
        StartDelivery(item, std::move(record), *dest, std::move(written));
    } catch (const std::exception& error) {
        Fail(*dest + ": " + error.what(), *dest);
        return false;
    }
    return true;
}

void TTransferRun::StartDelivery(const TBatchItem& item, TFileInfo record, const std::string& dest,
                                 std::optional<TWrittenCopy> written)
{
    // To the handheld, a video without a thumbnail gets one made.
    const bool makeThumbnail = record.NoThumb && FRequest.Way == TTransferWay::ToHandheld;
    TDelivery delivery(TDeliveryRequest{std::move(written), dest, item.Info, makeThumbnail,
                                        [this](const std::string& path) { return OnDestinationDrive(path); }});
    FPending.emplace(TPendingDelivery{item, std::move(record), dest, FProgress.BatchIndex(), std::move(delivery)});
}

bool TTransferRun::FinishPending(std::optional<TWrittenCopy>* dropped)
{
    if (!FPending)
        return true;
    TPendingDelivery pending = std::move(*FPending);
    FPending.reset();
    // The copy written meanwhile goes before the failure is told.
    const auto failed = [&](std::string text, int error) {
        if (dropped != nullptr)
            dropped->reset();
        Fail(std::move(text), pending.Dest, error);
        return false;
    };
    TDeliveryOutcome outcome;
    try {
        // Should a turn throw, dropping the delivery waits for its thread.
        outcome = pending.Delivery.Wait(FCopier.OnTurn);
    } catch (const std::exception& error) {
        return failed(pending.Dest + ": " + error.what(), 0);
    }
    if (outcome.VideoError != 0) {
        if (dropped != nullptr)
            dropped->reset();
        // One box for the batch: the copy that went on meanwhile may have
        // shown its own already.
        TCopyResult commit = FCopier.CommitFailure(pending.Dest, outcome.VideoError, !FResult.FailureShown);
        FCopier.FailureText = commit.Text;
        FResult.FailureShown = FResult.FailureShown || commit.Shown;
        return failed(std::move(commit.Text), commit.Error);
    }
    try {
        TFileInfo& record = pending.Record;
        SettleThumbnail(pending, outcome, record);
        // Both copies are on the medium now; only then does a move take
        // the originals away. A thumbnail stays with a video that stays.
        const bool thumbnailTravelled = outcome.ThumbnailTried && outcome.ThumbnailError == 0;
        const bool sourceDeleted = Moving() && DeleteSource(pending.Item.Info, thumbnailTravelled);
        if (FHooks.Arrived)
            FHooks.Arrived(pending.Item, record, sourceDeleted);
    } catch (const std::exception& error) {
        return failed(pending.Dest + ": " + error.what(), 0);
    }
    return true;
}

void TTransferRun::SettleThumbnail(const TPendingDelivery& pending, const TDeliveryOutcome& outcome,
                                   TFileInfo& record)
{
    const std::string target = ThumbnailPathFor(pending.Dest);
    if (outcome.ThumbnailMade) {
        record.NoThumb = false;
        record.ThumbPath = target;
        record.ThumbSize = outcome.MadeThumbnailSize;
    }
    if (!outcome.ThumbnailTried)
        return;
    if (outcome.ThumbnailError == 0) {
        record.ThumbPath = target;
    } else {
        // The video still counts as delivered; its row gets no picture,
        // and the result names the thumbnail that stayed behind.
        FResult.ThumbnailsLeft.push_back(
            {record.ThumbPath, "cannot copy it to " + target + ": " + platform::ErrorText(outcome.ThumbnailError)});
        record.NoThumb = true;
        record.ThumbPath.clear();
    }
    // Its bytes count to the video they travelled with, whichever the
    // batch has gone on to since.
    const int current = FProgress.BatchIndex();
    FProgress.ShowVideo(pending.VideoIndex);
    if (FHooks.Report)
        FHooks.Report(static_cast<double>(record.ThumbSize), record.ThumbPath);
    FProgress.ShowVideo(current);
}

std::optional<std::string> TTransferRun::DestinationFor(const TFileInfo& info)
{
    if (FRequest.Way == TTransferWay::ToComputer)
        return PcTargetName(FRequest.Folder, info.FileName, info.NewPath, FPending ? FPending->Dest : std::string());
    int scratch = 0;
    int& highest = FRequest.HighestVideoNumber != nullptr ? *FRequest.HighestVideoNumber : scratch;
    return THandheldFolder(FRequest.Folder).NextFreeVideo(highest);
}

bool TTransferRun::CopyVideo(const TFileInfo& info, const std::string& dest, std::optional<TWrittenCopy>& written)
{
    const TCopierBinding binding(FCopier, FHooks.ShouldStop, FRequest.DriveMountPoint);
    TCopyResult copied = FCopier.Write(info.FullPath, dest, written);
    FCopier.FailureText = copied.Text;
    if (copied.Ok())
        return true;
    if (copied.Status == TCopyStatus::Stopped || StopRequested())
        FResult.Outcome = TBatchOutcome::Stopped;
    else
        Fail(std::move(copied.Text), std::move(copied.Path), copied.Error);
    FResult.FailureShown = copied.Shown;
    return false;
}

// The conversion runs on a thread of its own; this thread takes the
// message-loop turns, passes a stop on (Esc, a signal, the handheld
// leaving the mount table) and turns the share converted into progress
// units: the share of the most bytes the converted video can take, which
// the batch's total counted for it.
bool TTransferRun::ConvertVideo(const TBatchItem& item, const std::string& dest, TFileInfo& record)
{
    constexpr auto kTurnEvery = std::chrono::milliseconds(5);
    const TFileInfo& info = item.Info;
    const std::string title = info.HasTitle && !info.Title.empty() ? info.Title : platform::WithExtension(info.FileName, "");
    std::atomic<bool> stop{false};
    std::atomic<double> share{0};
    media::TConversionHooks hooks;
    hooks.Progress = [&share](double done) { share.store(done, std::memory_order_relaxed); };
    hooks.ShouldStop = [&stop] { return stop.load(std::memory_order_relaxed); };
    std::future<media::TConversionResult> converting;
    try {
        converting = std::async(std::launch::async,
                                [&] { return media::ConvertForHandheld(info.FullPath, dest, title, hooks); });
    } catch (const std::system_error& error) {
        // No thread to be had: a conversion here would freeze the window
        // for minutes with no way to stop it.
        Fail(info.FullPath + ": cannot be converted: " + error.what(), info.FullPath, error.code().value());
        return false;
    }

    bool unplugged = false;
    double reported = 0;
    auto report = [&](double units) {
        if (units > reported && FHooks.Report)
            FHooks.Report(units - reported, info.FullPath);
        reported = std::max(reported, units);
    };
    try {
        while (converting.wait_for(kTurnEvery) != std::future_status::ready) {
            if (FCopier.OnTurn)
                FCopier.OnTurn();
            unplugged = unplugged || !OnDestinationDrive(dest);
            if (unplugged || StopRequested())
                stop = true;
            report(share.load(std::memory_order_relaxed) * item.ConvertedSize);
        }
    } catch (...) {
        // A turn that throws stops the conversion; the future's wait
        // holds this thread until the converter has let go of `hooks`.
        stop = true;
        throw;
    }
    const media::TConversionResult result = converting.get();
    if (result.Status == media::TConversionStatus::Stopped && unplugged) {
        Fail("cannot write " + dest + ": " + platform::ErrorText(ENODEV), dest, ENODEV);
        return false;
    }
    if (result.Status == media::TConversionStatus::Stopped) {
        FResult.Outcome = TBatchOutcome::Stopped;
        return false;
    }
    if (!result.Ok()) {
        Fail(result.Problem, result.Path, result.Error);
        return false;
    }
    report(item.ConvertedSize);
    record.HasTitle = true;
    record.Title = title;
    if (const auto status = platform::StatPath(dest))
        record.Size = static_cast<double>(status->Size);
    return true;
}

// Deletes a moved video's source and, when it travelled too and no
// other video of the source folder shows it, its thumbnail. True when the
// video is gone; what stays is noted. Nothing is deleted below a source
// drive that has left the mount table.
bool TTransferRun::DeleteSource(const TFileInfo& source, bool withThumbnail)
{
    const std::string& mountPoint = FRequest.SourceDriveMountPoint;
    if (!mountPoint.empty() && !IsOnMountedDrive(source.FullPath, mountPoint)) {
        FResult.Stayed.push_back(source.FullPath);
        return false;
    }
    const bool thumbnailGoes = withThumbnail && !FThumbnailUsers.UsedByOthers(source.FullPath, source.ThumbPath);
    std::vector<std::string> stayed = RunWhileTurning(
        [&source, thumbnailGoes] {
            std::vector<std::string> kept;
            if (!DeleteFileIfPresent(source.FullPath))
                kept.push_back(source.FullPath);
            else if (thumbnailGoes && !DeleteFileIfPresent(source.ThumbPath))
                kept.push_back(source.ThumbPath);
            return kept;
        },
        FCopier.OnTurn);
    const bool videoDeleted = stayed.empty() || stayed.front() != source.FullPath;
    if (videoDeleted)
        FThumbnailUsers.Gone(source.FullPath);
    FResult.Stayed.insert(FResult.Stayed.end(), stayed.begin(), stayed.end());
    return videoDeleted;
}

} // namespace

TBatchResult RunTransfer(const TTransferRequest& request, const TBatchSnapshot& snapshot, TCopyFile& copier,
                         TBatchProgress& progress, const TTransferHooks& hooks)
{
    TTransferRun run(request, copier, progress, hooks);
    // What copies into this folder left when they were killed goes first;
    // a copy under way in another process holds its file and stays.
    if (request.DriveMountPoint.empty() || IsOnMountedDrive(request.Folder, request.DriveMountPoint))
        (void)platform::RemoveAbandonedStagedFiles(request.Folder);
    const auto& items = snapshot.Items;
    if (request.Kind == TTransferKind::Move) {
        for (auto item = items.rbegin(); item != items.rend() && run.Transfer(*item); ++item) {
        }
    } else {
        for (auto item = items.begin(); item != items.end() && run.Transfer(*item); ++item) {
        }
    }
    (void)run.FinishPending();
    return std::move(run.FResult);
}
