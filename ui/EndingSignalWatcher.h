#pragma once

// Hears SIGTERM, SIGHUP and SIGINT (the session ending, the terminal
// closed, Ctrl-C) on the window's event loop, so the window ends as it
// does when the user stops a batch with Esc and then closes it: the video
// under way is removed, what was done stays, the settings are saved.

#include "platform/TerminationSignals.h"

#include <QSocketNotifier>

#include <functional>
#include <memory>

class TEndingSignalWatcher {
public:
    explicit TEndingSignalWatcher(std::function<void()> onSignal);
    TEndingSignalWatcher(const TEndingSignalWatcher&) = delete;
    TEndingSignalWatcher& operator=(const TEndingSignalWatcher&) = delete;

private:
    platform::TerminationSignals FSignals;
    std::unique_ptr<QSocketNotifier> FNotifier;
};
