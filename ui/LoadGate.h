#pragma once

// Keeps the window's pane loads from nesting.
//
// A load hands the event loop over now and then: the scan takes one turn
// before it lists, and a notice, a question or the folder dialog runs its
// own loop. Input and device events handled there could start another
// load inside the running one, whose rows would then land in the wrong
// pane or twice. A load asked for while the running one has handed the
// loop over waits instead, and runs once that load has ended; the same
// request waiting twice runs once.
//
// What a load does itself (the refresh reloading the handheld pane, the
// drive list's report when the program rebuilds it) is no request and
// runs at once: only requests made from a turn of the loop wait.

#include <deque>
#include <functional>

class QObject;

// The commands that load a pane, as they can be asked for.
enum class TLoadRequest { PathEnter, Browse, Refresh, DriveList, Arrival, Removal };

class TLoadGate {
public:
    // `run` carries out a request that had to wait; it is called from the
    // event loop of `context`, never after `context` is gone.
    TLoadGate(QObject& context, std::function<void(TLoadRequest)> run);
    TLoadGate(const TLoadGate&) = delete;
    TLoadGate& operator=(const TLoadGate&) = delete;

    // Queues `request` when a load has handed the event loop over, and
    // says so: the caller then does nothing now.
    [[nodiscard]] bool Defer(TLoadRequest request);

    // True while any load runs.
    bool Running() const { return FDepth > 0; }
    // True while requests wait for their turn.
    bool Waiting() const { return !FWaiting.empty(); }

    // Marks a load for the life of the scope; loads may contain loads.
    // When the outermost one ends, the waiting requests are run.
    class TLoad {
    public:
        explicit TLoad(TLoadGate& gate);
        ~TLoad();
        TLoad(const TLoad&) = delete;
        TLoad& operator=(const TLoad&) = delete;

    private:
        TLoadGate& FGate;
    };

    // Marks a stretch in which a load lets the event loop run.
    class TYield {
    public:
        explicit TYield(TLoadGate& gate);
        ~TYield();
        TYield(const TYield&) = delete;
        TYield& operator=(const TYield&) = delete;

    private:
        TLoad FLoad;
        TLoadGate& FGate;
    };

private:
    void ScheduleWaiting();
    void RunWaiting();

    QObject& FContext;
    std::function<void(TLoadRequest)> FRun;
    int FDepth = 0;
    int FYields = 0;
    bool FScheduled = false;
    std::deque<TLoadRequest> FWaiting;
};
