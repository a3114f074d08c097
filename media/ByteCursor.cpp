#include "media/ByteCursor.h"

#include "media/MediaProblem.h"

namespace media {

TBytes TByteCursor::Take(std::size_t count)
{
    if (count > Left())
        ThrowDamaged("a field runs past the end of its box");
    const TBytes taken = FBytes.subspan(FAt, count);
    FAt += count;
    return taken;
}

std::uint64_t TByteCursor::Field(std::size_t width)
{
    std::uint64_t value = 0;
    for (const std::uint8_t byte : Take(width))
        value = (value << 8) | byte;
    return value;
}

std::uint32_t TBitReader::Bits(int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i, ++FBit) {
        if (FBit / 8 >= FBytes.size())
            ThrowDamaged("a parameter set ends early");
        value = (value << 1) | ((FBytes[FBit / 8] >> (7 - FBit % 8)) & 1U);
    }
    return value;
}

std::uint32_t TBitReader::Unsigned()
{
    int zeros = 0;
    while (!Flag()) {
        if (++zeros > 31)
            ThrowDamaged("a parameter set holds an impossible number");
    }
    return ((1U << zeros) - 1) + Bits(zeros);
}

std::int32_t TBitReader::Signed()
{
    const std::uint32_t code = Unsigned();
    const auto magnitude = static_cast<std::int32_t>((code + 1) / 2);
    return (code & 1U) != 0 ? magnitude : -magnitude;
}

} // namespace media
