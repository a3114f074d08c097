#include "tests/support/FakePrograms.h"

#include "tests/catalogue/TestFolders.h"

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

void MakeRecordingProgram(const std::string& folder, const std::string& name)
{
    const std::string script = folder + name;
    WriteFile(script, "#!/bin/sh\n"
                      "record=\"$0.args\"\n"
                      "printf '%s\\n' \"$@\" >\"$record.new\" && mv -f \"$record.new\" \"$record\"\n");
    fs::permissions(script, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

bool HasRecorded(const std::string& folder, const std::string& name)
{
    return fs::exists(folder + name + ".args");
}

std::vector<std::string> RecordedArguments(const std::string& folder, const std::string& name, bool& found,
                                           int seconds)
{
    // The program runs detached: poll for its record, with a bound.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    found = false;
    while (!(found = HasRecorded(folder, name)) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::vector<std::string> arguments;
    if (!found)
        return arguments;
    std::istringstream lines(ReadFile(folder + name + ".args"));
    for (std::string line; std::getline(lines, line);)
        arguments.push_back(line);
    return arguments;
}
