#pragma once

// Reading the version record of a program file (see VersionRecord.h).
// Both readers open the file at the given path; they never look at the
// running program unless given its path.

#include <array>
#include <cstdint>
#include <string>

// The "FileVersion" text of the program at `path` under the record's first
// translation, for example "1.2.0.5"; empty when the file cannot be read,
// has no version record, or the record has no such text.
std::string GetVersionText(const std::string& path);

// The fixed part of the version record of the program at `path`: thirteen
// 32-bit words; all zero when the file has no readable record.
using TFixedFileInfo = std::array<std::uint32_t, 13>;
TFixedFileInfo GetFileInfo(const std::string& path);

// The product version of the program at `path` as four numbers joined by
// ".", taken from the fixed part; "0.0.0.0" without a record.
std::string GetProductVersionText(const std::string& path);
