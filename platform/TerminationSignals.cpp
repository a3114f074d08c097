#include "platform/TerminationSignals.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::array<int, 3> EndingSignals = {SIGTERM, SIGHUP, SIGINT};

volatile std::sig_atomic_t gRequested = 0;
volatile int gNoticeWriter = -1;
std::array<struct sigaction, EndingSignals.size()> gPrevious {};

extern "C" void noteEndingSignal(int)
{
    const int saved = errno;
    gRequested = 1;
    if (gNoticeWriter >= 0) {
        const char byte = 1;
        // A full pipe already holds a notice.
        (void)!::write(gNoticeWriter, &byte, 1);
    }
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals()
{
    gRequested = 0;
    if (::pipe2(FPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        FPipe[0] = FPipe[1] = -1;
    gNoticeWriter = FPipe[1];
    struct sigaction action {};
    action.sa_handler = noteEndingSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < EndingSignals.size(); ++i)
        sigaction(EndingSignals[i], &action, &gPrevious[i]);
}

TerminationSignals::~TerminationSignals()
{
    for (std::size_t i = 0; i < EndingSignals.size(); ++i)
        sigaction(EndingSignals[i], &gPrevious[i], nullptr);
    gNoticeWriter = -1;
    for (int fd : FPipe) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool TerminationSignals::Requested()
{
    return gRequested != 0;
}

void TerminationSignals::Drain() const
{
    char bytes[64];
    while (FPipe[0] >= 0 && ::read(FPipe[0], bytes, sizeof bytes) > 0) {
    }
}

} // namespace platform
