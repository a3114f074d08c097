#pragma once

// Stand-ins for the programs Vantrel starts (the updater, ErrorReport):
// shell scripts that record the arguments they were started with, one a
// line, into a file beside themselves, written in one rename so a reader
// never sees half of it.

#include <string>
#include <vector>

// Writes the script `folder` + `name`; it records into `folder` + `name` +
// ".args".
void MakeRecordingProgram(const std::string& folder, const std::string& name);

// The arguments the program recorded, once the file is there; waits for
// it at most `seconds`, and returns nullopt-like empty vector with
// `found` false when it never came.
std::vector<std::string> RecordedArguments(const std::string& folder, const std::string& name, bool& found,
                                           int seconds = 30);

// True when the program has recorded anything.
bool HasRecorded(const std::string& folder, const std::string& name);
