#include "ui/LoadGate.h"

#include <QTimer>

#include <algorithm>

TLoadGate::TLoadGate(QObject& context, std::function<void(TLoadRequest)> run) : FContext(context), FRun(std::move(run)) {}

bool TLoadGate::Defer(TLoadRequest request)
{
    if (FYields == 0)
        return false;
    if (std::find(FWaiting.begin(), FWaiting.end(), request) == FWaiting.end())
        FWaiting.push_back(request);
    return true;
}

TLoadGate::TLoad::TLoad(TLoadGate& gate) : FGate(gate)
{
    ++FGate.FDepth;
}

TLoadGate::TLoad::~TLoad()
{
    if (--FGate.FDepth == 0)
        FGate.ScheduleWaiting();
}

TLoadGate::TYield::TYield(TLoadGate& gate) : FLoad(gate), FGate(gate)
{
    ++FGate.FYields;
}

TLoadGate::TYield::~TYield()
{
    --FGate.FYields;
}

void TLoadGate::ScheduleWaiting()
{
    // Run from the event loop, not from the end of the load: the command
    // that ran the load finishes first.
    if (FWaiting.empty() || FScheduled)
        return;
    FScheduled = true;
    QTimer::singleShot(0, &FContext, [this] { RunWaiting(); });
}

void TLoadGate::RunWaiting()
{
    FScheduled = false;
    // A load that started meanwhile runs the rest when it ends.
    if (FDepth > 0 || FWaiting.empty())
        return;
    const TLoadRequest request = FWaiting.front();
    FWaiting.pop_front();
    FRun(request);
    ScheduleWaiting();
}
