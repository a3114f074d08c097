#pragma once

// The end of a video's delivery, done off the thread that runs the batch
// while that thread copies the next video: the copy flushed to the medium
// and named, then the thumbnail copied beside it or, to the handheld, one
// made from the video's pictures. It touches the new files alone, never
// the window or the batch's hooks, and says how it went.

#include "catalogue/uClass.h"

#include <cstdint>
#include <functional>
#include <future>
#include <optional>
#include <string>

struct TDeliveryOutcome {
    int VideoError = 0;       // the copy's flush or naming failed
    bool ThumbnailTried = false;
    int ThumbnailError = 0;   // its own thumbnail could not be copied
    bool ThumbnailMade = false;
    std::int64_t MadeThumbnailSize = 0;
};

struct TDeliveryRequest {
    std::optional<TWrittenCopy> Written;  // none when the video is on the medium already (converted)
    std::string Dest;
    TFileInfo Source;                     // the source video's record: its thumbnail
    bool MakeThumbnail = false;           // make one when the source has none
    // True while a path below the destination drive may be written.
    std::function<bool(const std::string& path)> OnDestinationDrive;
};

// A delivery under way on a thread of its own (or done already, where no
// thread could be had). Dropping it waits for the thread.
class TDelivery {
public:
    explicit TDelivery(TDeliveryRequest request);
    TDelivery(TDelivery&&) = default;
    TDelivery& operator=(TDelivery&&) = default;

    // Waits, calling `turn` (when set) about every millisecond meanwhile.
    TDeliveryOutcome Wait(const std::function<void()>& turn);

private:
    std::future<TDeliveryOutcome> FOutcome;
    // Last, so it goes first: its future waits for the thread.
    std::future<void> FWorker;
};

// The delivery itself, on the calling thread.
TDeliveryOutcome Deliver(TDeliveryRequest& request);
