// Handheld video names: "M4V" + five decimal digits + ".MP4".

#include "catalogue/uClass.h"

#include "platform/FileSystem.h"

int ParseVideoNumber(const std::string& name)
{
    constexpr std::size_t NameLength = 12;  // M4V + 5 digits + .MP4
    if (name.size() != NameLength)
        return -1;
    const std::string upper = platform::AsciiUpper(name);
    if (upper.compare(0, 3, "M4V") != 0 || upper.compare(8, 4, ".MP4") != 0)
        return -1;
    // Only plain digits: the names we write have five of them with
    // leading zeros, and a sign or blank would make two names one number.
    int number = 0;
    for (std::size_t i = 3; i < 8; ++i) {
        const char c = upper[i];
        if (c < '0' || c > '9')
            return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}
