// A program that installs the crash reporter and then crashes the way
// its argument says, for the tests of the reporter:
//   crash_fixture fault   touches a page it may not read (SIGSEGV); prints
//                         the page's address first
//   crash_fixture throw   lets an exception escape main
//   crash_fixture abort   calls abort()
//   crash_fixture corrupt-stack
//                         faults with its stack pointer wrecked, so the
//                         handler's own backtrace faults in turn (x86-64;
//                         elsewhere it ends with 77)
//   crash_fixture throw-without-folder
//                         throws, installed as the program would be when
//                         it cannot learn its own folder

#include "support/CrashReporter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <sys/mman.h>

namespace {

[[noreturn]] void FaultWithWreckedStack()
{
#if defined(__x86_64__)
    // The unwinder reads the return address from the stack the fault left:
    // an unmapped one.
    asm volatile("xor %%ebp, %%ebp\n\t"
                 "mov $0x1000, %%rsp\n\t"
                 "movb $1, (%%rsp)\n\t" ::: "memory");
#endif
    std::exit(77);
}

} // namespace

int main(int argc, char** argv)
{
    const char* how = argc > 1 ? argv[1] : "";
    if (std::strcmp(how, "throw-without-folder") == 0) {
        TCrashReporterSetup setup = RunningProgramSetup();
        setup.ProgramFolder.clear();
        InstallCrashReporter(setup);
        throw std::runtime_error("the fixture's fault");
    }
    InstallCrashReporter();
    if (std::strcmp(how, "corrupt-stack") == 0)
        FaultWithWreckedStack();
    if (std::strcmp(how, "fault") == 0) {
        void* page = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        std::printf("%p\n", page);
        std::fflush(stdout);
        *static_cast<volatile char*>(page) = 1;
    } else if (std::strcmp(how, "throw") == 0) {
        throw std::runtime_error("the fixture's fault");
    } else if (std::strcmp(how, "abort") == 0) {
        std::abort();
    }
    return 0;
}
