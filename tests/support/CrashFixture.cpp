// A program that installs the crash reporter and then crashes the way
// its argument says, for the tests of the reporter:
//   crash_fixture fault   touches a page it may not read (SIGSEGV); prints
//                         the page's address first
//   crash_fixture throw   lets an exception escape main
//   crash_fixture abort   calls abort()

#include "support/CrashReporter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <sys/mman.h>

int main(int argc, char** argv)
{
    InstallCrashReporter();
    const char* how = argc > 1 ? argv[1] : "";
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
