#include "catalogue/PlayabilityChecker.h"

#include "media/Playability.h"

void TPlayVerdict::Settle(std::vector<std::string> reasons, bool readable)
{
    FReasons = std::move(reasons);
    FReadable = readable;
    FAsked.store(true, std::memory_order_relaxed);
    FKnown.store(true, std::memory_order_release);
}

TPlayabilityChecker::TPlayabilityChecker(std::function<void()> checked)
    : FChecked(std::move(checked)), FWorker([this](std::stop_token stop) { Work(stop); })
{
}

TPlayabilityChecker::~TPlayabilityChecker()
{
    FWorker.request_stop();
    FWake.notify_all();
}

void TPlayabilityChecker::Ask(std::vector<TPlayabilityJob> jobs, bool urgent)
{
    if (jobs.empty())
        return;
    {
        const std::lock_guard lock(FLock);
        if (urgent)
            FWaiting.insert(FWaiting.begin(), std::make_move_iterator(jobs.begin()), std::make_move_iterator(jobs.end()));
        else
            FWaiting.insert(FWaiting.end(), std::make_move_iterator(jobs.begin()), std::make_move_iterator(jobs.end()));
    }
    FWake.notify_one();
}

void TPlayabilityChecker::Forget()
{
    const std::lock_guard lock(FLock);
    FWaiting.clear();
}

void TPlayabilityChecker::Work(std::stop_token stop)
{
    for (;;) {
        TPlayabilityJob job;
        {
            std::unique_lock lock(FLock);
            if (!FWake.wait(lock, stop, [this] { return !FWaiting.empty(); }))
                return;
            job = std::move(FWaiting.front());
            FWaiting.pop_front();
        }
        // Asked twice (moved forward when it came into view): checked once.
        if (job.Verdict->Known())
            continue;
        media::TPlayability verdict = media::CheckPlayability(job.Path);
        const bool shown = !verdict.Plays();
        job.Verdict->Settle(std::move(verdict.Reasons), verdict.Readable);
        if (shown && FChecked)
            FChecked();
    }
}
