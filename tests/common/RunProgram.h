#pragma once

#include <string>
#include <vector>

struct ProgramRun {
    int exitCode = -1;
    std::string output;   // standard output
    std::string errors;   // standard error
};

// Runs a program with these arguments (no shell) and collects its output.
ProgramRun RunProgram(const std::vector<std::string>& arguments);
