#include "psptitle/Box.h"

namespace psptitle {

const Box* Box::child(FourCC kind) const
{
    for (const Box& each : children) {
        if (each.type == kind)
            return &each;
    }
    return nullptr;
}

std::string typeName(FourCC type)
{
    std::string name;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>(type >> shift);
        if (c == 0xA9)
            name += "\u00A9";
        else if (c >= 0x20 && c < 0x7F)
            name += static_cast<char>(c);
        else
            name += '?';
    }
    return name;
}

} // namespace psptitle
