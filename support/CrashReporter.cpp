// The fatal-signal and terminate handlers, and the report they leave.

#include "support/CrashReporter.h"

#include "platform/Executable.h"
#include "support/Addresses.h"
#include "support/SafeText.h"
#include "support/TmpFile.h"
#include "support/VersionInfo.h"

#include <csignal>
#include <cstring>
#include <exception>
#include <execinfo.h>
#include <linux/close_range.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr std::size_t kPathCapacity = 4096;
constexpr std::size_t kLineCapacity = 4096 + 64;

// What the handlers use, copied into static storage at installation.
struct TReporterState {
    char ProgramPath[kPathCapacity];
    char ErrorReportPath[kPathCapacity];
    char TempFolder[kPathCapacity];
    char Version[64];
    char Title[256];
    char UrlOption[kLineCapacity];
    char TitleOption[256];
    char ExceptionText[1024];
};

TReporterState gState;
volatile std::sig_atomic_t gReporting = 0;

// The alternate stack, so even a stack overflow reaches the handler.
alignas(16) char gSignalStack[256 * 1024];

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

constexpr int kExitStatus = 255;

// Copies `text` whole, or leaves `target` empty and says so: a path cut
// short names another file, and the handler must never use one.
bool CopyWhole(char* target, std::size_t capacity, const std::string& text)
{
    if (text.size() >= capacity) {
        target[0] = '\0';
        return false;
    }
    std::memcpy(target, text.data(), text.size());
    target[text.size()] = '\0';
    return true;
}

// A message may lose its end; it names nothing.
void CopyCut(char* target, std::size_t capacity, const std::string& text)
{
    const std::size_t length = text.size() < capacity - 1 ? text.size() : capacity - 1;
    std::memcpy(target, text.data(), length);
    target[length] = '\0';
}

bool IsAbsolute(const std::string& path)
{
    return !path.empty() && path.front() == '/';
}

const char* SignalName(int signal)
{
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
    case SIGABRT:
        return "SIGABRT";
    default:
        return "signal";
    }
}

void WriteAll(int fd, const char* text, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, text, length);
        if (written <= 0)
            return;
        text += written;
        length -= static_cast<std::size_t>(written);
    }
}

// The report's head: what crashed, which version, why and when.
void WriteReport(int fd, const TCrashCause& cause)
{
    char buffer[kLineCapacity * 2];
    TSafeText text(buffer, sizeof buffer);
    text.Add(gState.Title).Add(" crash report\n");
    text.Add("Program: ").Add(gState.ProgramPath).Add("\n");
    text.Add("Version: ").Add(gState.Version).Add("\n");
    if (cause.Signal != 0) {
        text.Add("Signal: ").AddDecimal(cause.Signal).Add(" (").Add(SignalName(cause.Signal)).Add(")\n");
        if (cause.SentByProcess)
            text.Add("Sent by process: ").AddDecimal(cause.SenderPid).Add("\n");
        else
            text.Add("Address: ").AddHex(reinterpret_cast<std::uintptr_t>(cause.Address)).Add("\n");
    } else {
        text.Add("Uncaught exception: ").Add(cause.Exception != nullptr ? cause.Exception : "unknown").Add("\n");
    }
    text.Add("Process: ").AddDecimal(::getpid()).Add("\n");
    text.Add("Time: ").AddUtcTime(::time(nullptr)).Add("\n");
    text.Add("Backtrace:\n");
    WriteAll(fd, text.Text(), text.Length());

    void* frames[64];
    const int count = ::backtrace(frames, 64);
    ::backtrace_symbols_fd(frames, count, fd);
}

// Starts ErrorReport on the report and does not wait for it.
void StartErrorReport(const char* reportPath)
{
    if (gState.ErrorReportPath[0] == '\0')
        return;
    char fileOption[kLineCapacity];
    TSafeText(fileOption, sizeof fileOption).Add("-file:").Add(reportPath);
    char* const arguments[] = {gState.ErrorReportPath, gState.UrlOption, gState.TitleOption, fileOption, nullptr};

    const pid_t child = ::_Fork();
    if (child != 0)
        return;
    // The child: none of the crashed program's open files, and the
    // signals the handler blocked are unblocked again.
    ::syscall(SYS_close_range, 3U, ~0U, 0U);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(gState.ErrorReportPath, arguments, environ);
    ::_exit(127);
}

void OnFatalSignal(int signal, siginfo_t* info, void*)
{
    TCrashCause cause;
    cause.Signal = signal;
    if (info != nullptr) {
        cause.Address = info->si_addr;
        // SI_USER, SI_QUEUE, SI_TKILL... are not faults.
        cause.SentByProcess = info->si_code <= 0;
        cause.SenderPid = cause.SentByProcess ? info->si_pid : 0;
    }
    ReportCrash(cause);
}

void OnTerminate()
{
    const char* what = "unknown exception";
    if (const std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& error) {
            CopyCut(gState.ExceptionText, sizeof gState.ExceptionText, error.what());
            what = gState.ExceptionText;
        } catch (...) {
        }
    } else {
        what = "std::terminate called without an exception";
    }
    TCrashCause cause;
    cause.Exception = what;
    ReportCrash(cause);
}

} // namespace

TCrashReporterSetup RunningProgramSetup()
{
    TCrashReporterSetup setup;
    setup.ProgramPath = platform::ExecutablePath();
    setup.ProgramFolder = platform::ExecutableFolder();
    setup.TempFolder = SystemTempFolder();
    setup.Version = GetVersionText(setup.ProgramPath);
    setup.Title = Addresses::kApplicationTitle;
    setup.UploadPage = Addresses::kCrashUploadPage;
    return setup;
}

bool InstallCrashReporter(const TCrashReporterSetup& setup)
{
    // ErrorReport and the report are found only through absolute paths:
    // without its own folder the program would start whatever program of
    // that name the current folder or PATH holds.
    bool whole = CopyWhole(gState.ProgramPath, sizeof gState.ProgramPath, setup.ProgramPath);
    if (IsAbsolute(setup.ProgramFolder))
        whole &= CopyWhole(gState.ErrorReportPath, sizeof gState.ErrorReportPath, setup.ProgramFolder + "ErrorReport");
    else
        gState.ErrorReportPath[0] = '\0';
    if (IsAbsolute(setup.TempFolder))
        whole &= CopyWhole(gState.TempFolder, sizeof gState.TempFolder, setup.TempFolder);
    else
        gState.TempFolder[0] = '\0';
    CopyCut(gState.Version, sizeof gState.Version, setup.Version);
    CopyCut(gState.Title, sizeof gState.Title, setup.Title);
    whole &= CopyWhole(gState.UrlOption, sizeof gState.UrlOption, "-url:" + setup.UploadPage);
    CopyCut(gState.TitleOption, sizeof gState.TitleOption, "-title:" + setup.Title);

    // The first backtrace() loads the unwinder, which allocates: do it
    // now rather than inside a handler.
    void* frame[1];
    (void)::backtrace(frame, 1);

    stack_t stack{};
    stack.ss_sp = gSignalStack;
    stack.ss_size = sizeof gSignalStack;
    ::sigaltstack(&stack, nullptr);

    // SA_NODEFER: a fault inside the handler enters it again, where the
    // re-entry guard ends the process with the reporter's status. Were
    // the signal blocked, the kernel would kill the process at once.
    struct sigaction action{};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (int signal : kFatalSignals)
        ::sigaction(signal, &action, nullptr);

    std::set_terminate(OnTerminate);
    return whole;
}

void ReportCrash(const TCrashCause& cause)
{
    // A crash while reporting one: give up on the report, not on the
    // exit status.
    if (gReporting != 0)
        ::_exit(kExitStatus);
    gReporting = 1;

    char reportPath[kPathCapacity];
    const int fd = gState.TempFolder[0] == '\0' ? -1 : CreateUniqueTmpFile(gState.TempFolder, reportPath, sizeof reportPath);
    if (fd >= 0) {
        WriteReport(fd, cause);
        ::close(fd);
        // The report stays for ErrorReport, which the user closes.
        StartErrorReport(reportPath);
    }
    ::_exit(kExitStatus);
}
