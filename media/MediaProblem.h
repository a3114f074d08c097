#pragma once

// Why a video's headers or pictures cannot be read, in words a user
// understands ("file is damaged: ..."). The text leaves out the file's
// name; whoever reports it puts the name in front.

#include <stdexcept>
#include <string>

namespace media {

class TMediaProblem : public std::runtime_error {
public:
    explicit TMediaProblem(const std::string& text) : std::runtime_error(text) {}
};

// A problem with the file's structure: "file is damaged: " + what.
[[noreturn]] void ThrowDamaged(const std::string& what);

} // namespace media
