#pragma once

// The last-chance crash reporter. Once installed, a fatal signal
// (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT) or an exception that nothing
// catches ends the process through ReportCrash: it writes a report to a
// new "tmp….tmp" file in the temporary folder, starts the program
// "ErrorReport" from the executable's folder with
//   -url:<crash upload page>  -title:<application title>  -file:<report>
// (one argument each), and ends the process with exit status 255 without
// any of the program's normal shutdown (no settings are saved).

#include <string>

// Everything the reporter needs, gathered before anything can crash: in
// a signal handler there is no asking for it any more.
struct TCrashReporterSetup {
    std::string ProgramPath;    // the executable, named in the report
    std::string ProgramFolder;  // where ErrorReport is, with a trailing '/'
    std::string TempFolder;     // where the report goes, with a trailing '/'
    std::string Version;        // the program's version text
    std::string Title;          // the application title
    std::string UploadPage;     // the crash report upload page
};

// The setup of the running program: its executable, its version record,
// $TMPDIR or /tmp, "Vantrel" and the maker's upload page.
TCrashReporterSetup RunningProgramSetup();

// Installs the handlers on an alternate stack (so a stack overflow is
// reported too) and std::set_terminate. Call it first thing in main().
// Paths are used whole or not at all: a folder that is not absolute, or
// a path longer than the handler's storage, is refused (no report, or no
// ErrorReport), never cut. False when anything was refused; the handlers
// are installed either way.
bool InstallCrashReporter(const TCrashReporterSetup& setup = RunningProgramSetup());

// How the process came to crash.
struct TCrashCause {
    int Signal = 0;                 // 0 for an uncaught exception
    const void* Address = nullptr;  // the faulting address of a fault
    bool SentByProcess = false;     // the signal came from kill(), not a fault
    int SenderPid = 0;
    const char* Exception = nullptr;  // what the uncaught exception said
};

// Writes the report, starts ErrorReport and ends the process. Uses only
// what is safe inside a signal handler. A crash inside it ends the
// process at once, with the same status.
[[noreturn]] void ReportCrash(const TCrashCause& cause);
