#pragma once

// Reading big-endian fields and bit fields out of bytes held in memory.
// Every read is bounds-checked: a field that would run past the end
// throws TMediaProblem, so a forged count or size cannot read outside.

#include <cstddef>
#include <cstdint>
#include <span>

namespace media {

using TBytes = std::span<const std::uint8_t>;

class TByteCursor {
public:
    explicit TByteCursor(TBytes bytes) : FBytes(bytes) {}

    std::uint32_t U8() { return static_cast<std::uint32_t>(Take(1)[0]); }
    std::uint32_t U16() { return static_cast<std::uint32_t>(Field(2)); }
    std::uint32_t U24() { return static_cast<std::uint32_t>(Field(3)); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(Field(4)); }
    std::uint64_t U64() { return Field(8); }
    void Skip(std::size_t count) { (void)Take(count); }
    // The next `count` bytes.
    TBytes Take(std::size_t count);
    // What is left from the current position.
    TBytes Rest() const { return FBytes.subspan(FAt); }
    std::size_t Left() const { return FBytes.size() - FAt; }

private:
    std::uint64_t Field(std::size_t width);

    TBytes FBytes;
    std::size_t FAt = 0;
};

// Bits, most significant first, with the Exp-Golomb codes of H.264's
// parameter sets. Emulation-prevention bytes must be removed beforehand.
class TBitReader {
public:
    explicit TBitReader(TBytes bytes) : FBytes(bytes) {}

    std::uint32_t Bits(int count);
    bool Flag() { return Bits(1) != 0; }
    // ue(v) and se(v).
    std::uint32_t Unsigned();
    std::int32_t Signed();

private:
    TBytes FBytes;
    std::size_t FBit = 0;
};

} // namespace media
