#pragma once

// The per-user settings store. On Linux a QSettings INI file,
// ~/.config/Vantrel/Vantrel.conf ($XDG_CONFIG_HOME honoured), and other
// small files in the same folder.

#include <optional>
#include <string>

namespace Settings {

// The value stored under `name`; nullopt when it is missing or the store
// cannot be read.
std::optional<std::string> Read(const std::string& name);

// Stores `value` under `name` and flushes the store. False when it could
// not be written; callers that treat settings as best effort ignore it.
bool Write(const std::string& name, const std::string& value);

// Vantrel's per-user configuration folder, with a trailing '/'.
std::string ConfigFolder();

} // namespace Settings
