#pragma once

// Why a file cannot be read or saved, in words a user understands. The
// text leaves out the file's name; the handle puts it in front.

#include <stdexcept>
#include <string>

namespace psptitle {

class Problem : public std::runtime_error {
public:
    explicit Problem(const std::string& text) : std::runtime_error(text) {}
};

// The system's words for an errno value, e.g. "Permission denied".
std::string systemText(int error);

} // namespace psptitle
