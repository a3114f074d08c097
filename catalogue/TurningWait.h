#pragma once

// Runs a slow file-system call (a flush, a small copy, a directory read
// on a slow memory stick) on a helper thread while the calling thread
// keeps taking its message-loop turns, so the window never stalls on
// the medium. The work must touch nothing the turns touch.

#include <chrono>
#include <functional>
#include <future>
#include <system_error>

template <class Work>
auto RunWhileTurning(Work&& work, const std::function<void()>& turn) -> decltype(work())
{
    if (!turn)
        return work();
    std::future<decltype(work())> done;
    try {
        done = std::async(std::launch::async, work);
    } catch (const std::system_error&) {
        // No thread to be had: the work runs here, without turns.
        return work();
    }
    // The future waits for the helper in its destructor, should a turn throw.
    while (done.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
        turn();
    return done.get();
}
