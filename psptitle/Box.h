#pragma once

// One box of an MP4 file as the index knows it: where it is and how big,
// never its payload. Offsets count from the start of whatever the box was
// indexed in (the file for top-level boxes, the movie box's own bytes for
// the boxes inside it).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace psptitle {

using FourCC = std::uint32_t;
using ExtendedType = std::array<std::uint8_t, 16>;

constexpr FourCC fourCC(const char (&name)[5])
{
    return (FourCC{static_cast<std::uint8_t>(name[0])} << 24) | (FourCC{static_cast<std::uint8_t>(name[1])} << 16) |
           (FourCC{static_cast<std::uint8_t>(name[2])} << 8) | FourCC{static_cast<std::uint8_t>(name[3])};
}

// The copyright sign starts the names of the standard tags (©nam).
constexpr FourCC nameTag = (FourCC{0xA9} << 24) | (FourCC{'n'} << 16) | (FourCC{'a'} << 8) | FourCC{'m'};

// The handheld's metadata box: "USMT" followed by Sony's 12 shared bytes.
constexpr ExtendedType usmtType = {0x55, 0x53, 0x4D, 0x54, 0x21, 0xD2, 0x4F, 0xCE,
                                   0xBB, 0x88, 0x69, 0x5C, 0xFA, 0xC9, 0xC7, 0x40};

// How the box header states the size; a rewrite keeps the same form.
enum class SizeForm {
    Compact,   // 32-bit size
    Large,     // size field 1, 64-bit size after the type
    ToEnd,     // size field 0: runs to the end of its parent or the file
};

struct Box {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;          // header included, ToEnd resolved
    std::uint32_t headerSize = 8;    // 8 or 16, plus 16 for a uuid box
    std::uint32_t childrenAt = 8;    // where children start, from `offset`
    std::uint64_t childrenEnd = 0;   // where the last indexed child ends
    FourCC type = 0;
    ExtendedType extendedType{};     // valid for uuid boxes
    SizeForm sizeForm = SizeForm::Compact;
    std::vector<Box> children;

    [[nodiscard]] std::uint64_t end() const { return offset + size; }
    [[nodiscard]] std::uint64_t payloadOffset() const { return offset + headerSize; }
    [[nodiscard]] std::uint64_t payloadSize() const { return size - headerSize; }
    [[nodiscard]] bool isUuid(const ExtendedType& kind) const
    {
        return type == fourCC("uuid") && extendedType == kind;
    }
    // The first direct child of this type, or nullptr.
    [[nodiscard]] const Box* child(FourCC kind) const;
};

// A box type as people read it: "moov", "©nam"; odd bytes as '?'.
std::string typeName(FourCC type);

} // namespace psptitle
