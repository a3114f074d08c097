#pragma once

// Big-endian integers in byte buffers, as MP4 stores them. Callers check
// bounds before reading; these helpers only assemble and split the bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace psptitle {

using ByteVector = std::vector<std::byte>;
using ByteView = std::span<const std::byte>;

inline std::uint16_t readU16(ByteView bytes, std::size_t at)
{
    return static_cast<std::uint16_t>((std::to_integer<unsigned>(bytes[at]) << 8) |
                                      std::to_integer<unsigned>(bytes[at + 1]));
}

inline std::uint32_t readU32(ByteView bytes, std::size_t at)
{
    return (std::uint32_t{readU16(bytes, at)} << 16) | readU16(bytes, at + 2);
}

inline std::uint64_t readU64(ByteView bytes, std::size_t at)
{
    return (std::uint64_t{readU32(bytes, at)} << 32) | readU32(bytes, at + 4);
}

inline void putU16(std::span<std::byte> bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = static_cast<std::byte>(value >> 8);
    bytes[at + 1] = static_cast<std::byte>(value & 0xFF);
}

inline void putU32(std::span<std::byte> bytes, std::size_t at, std::uint32_t value)
{
    putU16(bytes, at, static_cast<std::uint16_t>(value >> 16));
    putU16(bytes, at + 2, static_cast<std::uint16_t>(value & 0xFFFF));
}

inline void putU64(std::span<std::byte> bytes, std::size_t at, std::uint64_t value)
{
    putU32(bytes, at, static_cast<std::uint32_t>(value >> 32));
    putU32(bytes, at + 4, static_cast<std::uint32_t>(value & 0xFFFFFFFF));
}

inline void appendU16(ByteVector& bytes, std::uint16_t value)
{
    bytes.resize(bytes.size() + 2);
    putU16(bytes, bytes.size() - 2, value);
}

inline void appendU32(ByteVector& bytes, std::uint32_t value)
{
    bytes.resize(bytes.size() + 4);
    putU32(bytes, bytes.size() - 4, value);
}

inline void appendBytes(ByteVector& bytes, ByteView more)
{
    bytes.insert(bytes.end(), more.begin(), more.end());
}

} // namespace psptitle
