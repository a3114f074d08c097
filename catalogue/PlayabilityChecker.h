#pragma once

// The playability verdicts of a pane's rows, found on one worker thread:
// a pane shows its rows at once and its marks as they come. A row owns its
// verdict through a shared pointer; the worker holds another while it
// checks, so a row removed meanwhile costs nothing but the wasted check.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// One row's verdict. Written once by the worker, read by the window.
class TPlayVerdict {
public:
    // Whether the check has finished; Plays and Reasons hold only then.
    bool Known() const { return FKnown.load(std::memory_order_acquire); }
    bool Plays() const { return FReasons.empty(); }
    // Why the video will not play, one reason each.
    const std::vector<std::string>& Reasons() const { return FReasons; }
    // The file read as a video of a known kind (see media::TPlayability).
    bool Readable() const { return FReadable; }

    // True the first time it is called: whether to ask for a check.
    bool MarkAsked() { return !FAsked.exchange(true, std::memory_order_relaxed); }

    // The worker's side, and for rows whose verdict is known already.
    void Settle(std::vector<std::string> reasons, bool readable);

private:
    std::vector<std::string> FReasons;
    bool FReadable = true;
    std::atomic<bool> FKnown{false};
    std::atomic<bool> FAsked{false};
};

struct TPlayabilityJob {
    std::string Path;
    std::shared_ptr<TPlayVerdict> Verdict;
};

class TPlayabilityChecker {
public:
    // `checked` is called on the worker thread after a verdict settles
    // that a row shows: a video that will not play (one that plays draws
    // nothing new).
    explicit TPlayabilityChecker(std::function<void()> checked);
    // Stops after the check in hand (one header read) and joins.
    ~TPlayabilityChecker();
    TPlayabilityChecker(const TPlayabilityChecker&) = delete;
    TPlayabilityChecker& operator=(const TPlayabilityChecker&) = delete;

    // Queues `jobs` in their order, `urgent` ones ahead of all waiting
    // (the rows in view). A job whose verdict is known by its turn is
    // skipped, so asking again for a queued row only moves it forward.
    void Ask(std::vector<TPlayabilityJob> jobs, bool urgent);
    // Drops every waiting job (the pane was emptied).
    void Forget();

private:
    void Work(std::stop_token stop);

    std::function<void()> FChecked;
    std::mutex FLock;
    std::condition_variable_any FWake;
    std::deque<TPlayabilityJob> FWaiting;
    // Last: started once everything it uses exists, joined first.
    std::jthread FWorker;
};
