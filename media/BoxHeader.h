#pragma once

// The header of one MP4 box, parsed with every size distrusted: a box is
// at least as big as its header and ends within its parent (or the file).

#include "media/ByteCursor.h"

#include <cstdint>
#include <functional>
#include <string_view>

namespace media {

constexpr std::uint32_t FourCC(const char (&name)[5])
{
    return (std::uint32_t{static_cast<std::uint8_t>(name[0])} << 24) |
           (std::uint32_t{static_cast<std::uint8_t>(name[1])} << 16) |
           (std::uint32_t{static_cast<std::uint8_t>(name[2])} << 8) | std::uint32_t{static_cast<std::uint8_t>(name[3])};
}

// The most bytes a header takes: 8, and 8 more for a 64-bit size. (A
// uuid's extended type is left in the payload: nothing here reads one.)
constexpr std::size_t kMaxBoxHeader = 16;

struct TBoxHeader {
    std::uint32_t Type = 0;
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
    std::uint32_t HeaderSize = 8;

    std::uint64_t End() const { return Offset + Size; }
    std::uint64_t PayloadOffset() const { return Offset + HeaderSize; }
    std::uint64_t PayloadSize() const { return Size - HeaderSize; }
};

// Parses the header in `bytes` (those of the box at `offset` that lie
// before `limit`); a size of 0 runs to `limit`. Throws TMediaProblem,
// calling the limit `limitName` ("the file") when the box passes it.
TBoxHeader ParseBoxHeader(TBytes bytes, std::uint64_t offset, std::uint64_t limit, std::string_view limitName);

// Calls `visit` with the type and payload of each box laid end to end in
// `bytes`, in order. Throws TMediaProblem on a damaged header.
void ForEachBox(TBytes bytes, const std::function<void(std::uint32_t type, TBytes payload)>& visit);

} // namespace media
