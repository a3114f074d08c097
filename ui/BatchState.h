#pragma once

// The window's running batch (a transfer or a deletion): its counters,
// whether it runs and should stop, the drive it works on, the device
// events held back until it ends, and what it returns to when it does.

#include "transfer/BatchProgress.h"
#include "ui/DriveState.h"
#include "ui/EscapeWatcher.h"

#include <memory>
#include <string>
#include <vector>

struct TBatchState {
    TBatchProgress Progress;
    bool Running = false;
    bool StopRequested = false;
    std::string Drive;
    std::vector<TDeviceEvent> HeldDeviceEvents;
    std::unique_ptr<TEscapeWatcher> EscapeWatcher;
    // A signal asked the program to end: the window closes after the batch.
    bool EndAfter = false;
    bool BusyBefore = false;
};
