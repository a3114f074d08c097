#include "tests/common/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string makeTemporaryFolder()
{
    const char* root = std::getenv("TMPDIR");
    std::string pattern = std::string(root && *root ? root : "/tmp") + "/vantrel-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        throw std::runtime_error("cannot make a temporary folder under " + pattern);
    return std::string(buffer.data()) + '/';
}

} // namespace

TempFolder::TempFolder() : FPath(makeTemporaryFolder()) {}

TempFolder::~TempFolder()
{
    // A test may have taken the write permission away from the folder.
    std::error_code ignored;
    fs::permissions(FPath, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(FPath, ignored);
}
