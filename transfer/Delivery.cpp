#include "transfer/Delivery.h"

#include "catalogue/HandheldFolder.h"
#include "media/ThumbnailMaker.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <chrono>
#include <memory>
#include <system_error>

TDeliveryOutcome Deliver(TDeliveryRequest& request)
{
    TDeliveryOutcome outcome;
    if (request.Written) {
        outcome.VideoError = request.Written->Commit();
        if (outcome.VideoError != 0) {
            // Its file goes now, before anyone is told (and a box waits).
            request.Written.reset();
            return outcome;
        }
    }
    const std::string target = ThumbnailPathFor(request.Dest);
    const TFileInfo& source = request.Source;
    if (!source.NoThumb) {
        outcome.ThumbnailTried = true;
        outcome.ThumbnailError = request.OnDestinationDrive(target)
                                   ? platform::CopyFileExclusive(source.ThumbPath, target)
                                   : ENODEV;
    } else if (request.MakeThumbnail && request.OnDestinationDrive(target)) {
        // One that cannot be decoded arrives without, as it would have anyway.
        outcome.ThumbnailMade = media::WriteMadeThumbnail(source.FullPath, target).empty();
        if (const auto status = platform::StatPath(target); outcome.ThumbnailMade && status)
            outcome.MadeThumbnailSize = status->Size;
    }
    return outcome;
}

TDelivery::TDelivery(TDeliveryRequest request)
{
    auto task = std::make_shared<std::packaged_task<TDeliveryOutcome()>>(
        [request = std::move(request)]() mutable { return Deliver(request); });
    FOutcome = task->get_future();
    try {
        FWorker = std::async(std::launch::async, [task] { (*task)(); });
    } catch (const std::system_error&) {
        // No thread to be had: the delivery is done here, the caller waiting.
        (*task)();
    }
}

TDeliveryOutcome TDelivery::Wait(const std::function<void()>& turn)
{
    while (FOutcome.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
        if (turn)
            turn();
    }
    return FOutcome.get();
}
