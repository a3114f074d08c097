#pragma once

// Facts about program files: where the running program lives, and the
// bytes of a named section of an ELF executable (the build stores the
// program's version record in one).

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Full path of the running program's executable (symbolic links resolved,
// as /proc/self/exe gives it); empty when it cannot be read.
std::string ExecutablePath();

// The folder of the running program's executable, with a trailing '/';
// empty when it cannot be read.
std::string ExecutableFolder();

// The bytes of the section `name` of the ELF file at `path`. nullopt when
// the file cannot be read, is not a well-formed 32- or 64-bit
// little-endian ELF file, or has no such section. Every offset and size
// in the file is checked against the file before it is used.
std::optional<std::string> ReadElfSection(const std::string& path, std::string_view name);

} // namespace platform
