#pragma once

// SIGTERM, SIGHUP and SIGINT (a desktop session ending, a closed
// terminal, Ctrl-C) noted instead of ending the process at once, so a
// program can end the way Esc ends a batch: the file under way removed,
// what was done kept.
//
// While an object of this class lives, the three signals set a flag and
// make a descriptor readable; the previous handlers come back when it
// goes. One object at a time.

namespace platform {

class TerminationSignals {
public:
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // True once one of the signals came.
    static bool Requested();
    // Readable once one of the signals came: for an event loop to watch.
    // -1 when no pipe could be made (Requested() still works).
    int NoticeDescriptor() const { return FPipe[0]; }
    // Empties the descriptor after a notice was read.
    void Drain() const;

private:
    int FPipe[2] = {-1, -1};
};

} // namespace platform
