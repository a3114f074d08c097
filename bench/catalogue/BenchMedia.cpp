#include "bench/catalogue/BenchMedia.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder(const std::string& parent)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = (parent.empty() ? std::string(tmp && *tmp ? tmp : "/tmp") : parent) + "/vantrel-bench-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        throw std::runtime_error("cannot make a folder like " + pattern);
    FPath = std::string(buffer.data()) + '/';
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    fs::remove_all(FPath, ignored);
}

void MakeWithFfmpeg(const std::string& arguments, const std::string& path)
{
    const std::string command = "ffmpeg -nostdin -loglevel error -y " + arguments + " '" + path + "'";
    if (std::system(command.c_str()) != 0 || !fs::is_regular_file(path))
        throw std::runtime_error("ffmpeg could not make " + path);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}
