#pragma once

// The texts and the warning rule of the handheld space display.

#include <string>

// "Free/Total: %.2f/%.2f M", both in mebibytes, hundredths rounded half
// to even, with the user's decimal separator.
std::string FormatDiskSpace(double freeBytes, double totalBytes);

inline constexpr const char* kDeviceNotAvailable = "The device is not available.";

// Whether the space display warns: some computer rows are selected and
// either the drive's space is unknown or their bytes exceed the free
// bytes (exactly the free bytes still fit).
bool SpaceWarning(int selectedRows, double selectedBytes, double freeBytes, double totalBytes);
