#include "media/BoxHeader.h"

#include "media/Mp4Headers.h"
#include "media/MediaProblem.h"

namespace media {

TBoxHeader ParseBoxHeader(TBytes bytes, std::uint64_t offset, std::uint64_t limit, std::string_view limitName)
{
    TByteCursor cursor(bytes);
    TBoxHeader header;
    header.Offset = offset;
    const std::uint32_t size = cursor.U32();
    header.Type = cursor.U32();
    if (size == 1) {
        header.Size = cursor.U64();
        header.HeaderSize = 16;
    } else if (size == 0) {
        header.Size = limit - offset;
    } else {
        header.Size = size;
    }
    if (header.Size < header.HeaderSize)
        ThrowDamaged("the '" + FourCCText(header.Type) + "' box is smaller than its header");
    if (header.Size > limit - offset)
        ThrowDamaged("the '" + FourCCText(header.Type) + "' box runs past the end of " + std::string(limitName));
    return header;
}

void ForEachBox(TBytes bytes, const std::function<void(std::uint32_t type, TBytes payload)>& visit)
{
    std::uint64_t at = 0;
    while (bytes.size() - at >= 8) {
        const TBoxHeader header = ParseBoxHeader(bytes.subspan(at), at, bytes.size(), "its parent box");
        visit(header.Type, bytes.subspan(header.PayloadOffset(), header.PayloadSize()));
        at = header.End();
    }
}

} // namespace media
