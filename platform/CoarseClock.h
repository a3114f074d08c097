#pragma once

// A clock for "has a millisecond or so gone by?" asked millions of times
// a second (once per 100-byte chunk of a copy): the kernel's coarse
// monotonic clock, a memory read of a few nanoseconds where the precise
// one costs several times that. It moves in ticks of 1 to 4 ms.

#include <cstdint>
#include <ctime>

namespace platform {

inline std::int64_t CoarseNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace platform
