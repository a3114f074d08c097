#include "psptitle/Problem.h"

#include <cstring>

namespace psptitle {

std::string systemText(int error)
{
    char buffer[256] = {};
    // The GNU strerror_r returns the text, which may not be in the buffer.
    return ::strerror_r(error, buffer, sizeof buffer);
}

} // namespace psptitle
