#include "catalogue/WriteBehind.h"

#include "platform/FileSystem.h"

#include <chrono>

namespace {

// A wait longer than this costs the window a visible delay.
constexpr auto SlowWait = std::chrono::microseconds(4000);
constexpr auto QuickWait = std::chrono::microseconds(1000);

} // namespace

int TWriteBehind::Written(std::size_t length)
{
    const std::int64_t blockStart = FEnd;
    FEnd += static_cast<std::int64_t>(length);
    if (const int started = platform::StartWriteBack(FFd, blockStart, FEnd - blockStart); started != 0)
        return started;

    if (FEnd - FAwaited <= Backlog)
        return 0;
    const std::int64_t due = FEnd - Backlog;
    const auto before = std::chrono::steady_clock::now();
    const int awaited = platform::AwaitWriteBack(FFd, FAwaited, due - FAwaited);
    const auto waited = std::chrono::steady_clock::now() - before;
    FAwaited = due;
    if (awaited != 0)
        return awaited;

    if (waited > SlowWait && FBlockSize > SmallestBlock)
        FBlockSize /= 2;
    else if (waited < QuickWait && FBlockSize < LargestBlock)
        FBlockSize *= 2;
    return 0;
}
