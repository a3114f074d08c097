#include "psptitle/FileLayout.h"

#include "psptitle/BoxReader.h"
#include "psptitle/HeaderWindow.h"
#include "psptitle/Problem.h"

#include <algorithm>

namespace psptitle {
namespace {

// Each top-level box costs one read; a file of more boxes than this is not
// a video anyone made.
constexpr std::size_t maxTopLevelBoxes = 1000000;
constexpr std::size_t maxBrandBytes = 256;

// The boxes a video may start with; anything else (a JPEG, a text file)
// is not an MP4 file at all, whatever its name says.
bool canStartVideo(FourCC type)
{
    for (const FourCC known : {fourCC("ftyp"), fourCC("moov"), fourCC("mdat"), fourCC("free"), fourCC("skip"),
                               fourCC("wide"), fourCC("pnot"), fourCC("uuid")}) {
        if (type == known)
            return true;
    }
    return false;
}

bool namesHandheldBrand(ByteView ftypPayload)
{
    // major brand, minor version, then compatible brands
    for (std::size_t at = 0; at + 4 <= ftypPayload.size(); at += (at == 0 ? 8 : 4)) {
        if (readU32(ftypPayload, at) == fourCC("MSNV"))
            return true;
    }
    return false;
}


bool isFreeSpace(FourCC type)
{
    return type == fourCC("free") || type == fourCC("skip");
}

// Whether `header`, the bytes left at the end of the file after the live
// movie box (at most maxHeaderSize of them), starts a box that a save of
// ours was cut off while writing: too short for a header, or a movie or
// free box that states more bytes than remain. Media data cut off like
// that is a damaged copy, not a save's trace, and stays an error.
bool isCutOffTrace(ByteView header, std::uint64_t remaining)
{
    if (header.size() < 8)
        return true;
    const FourCC type = readU32(header, 4);
    if (type != fourCC("moov") && !isFreeSpace(type))
        return false;
    const std::uint32_t compactSize = readU32(header, 0);
    if (compactSize == 1)
        return header.size() < 16 || readU64(header, 8) > remaining;
    return compactSize > remaining;
}

} // namespace

bool FileLayout::isDead(std::size_t index) const
{
    const Box& box = boxes[index];
    return isFreeSpace(box.type) || (box.type == fourCC("moov") && movie && index > *movie);
}

ByteVector readExactly(FileAccess& file, std::uint64_t offset, std::size_t size)
{
    ByteVector bytes(size);
    std::size_t got = 0;
    if (const int error = file.readAt(offset, bytes, got); error != 0)
        throw Problem("the file cannot be read (" + systemText(error) + ")");
    if (got != size)
        throw Problem("the file became shorter while it was read");
    return bytes;
}

FileLayout readFileLayout(FileAccess& file, std::uint64_t fileSize)
{
    HeaderWindow window(file, fileSize);
    return readFileLayout(window, fileSize);
}

FileLayout readFileLayout(HeaderWindow& window, std::uint64_t fileSize)
{
    FileLayout layout;
    layout.fileSize = fileSize;
    layout.boxes.reserve(8);
    std::uint64_t at = 0;
    while (at < fileSize) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize - at, maxHeaderSize));
        const ByteView header = window.read(at, wanted);
        if (at == 0 && (header.size() < 8 || !canStartVideo(readU32(header, 4))))
            throw Problem("the file is not an MP4 video");
        if (layout.movie && isCutOffTrace(header, fileSize - at)) {
            layout.cutOffAt = at;
            break;
        }
        // QuickTime may end a file with a few zero bytes.
        if (header.size() < 8 && std::all_of(header.begin(), header.end(), [](std::byte b) { return b == std::byte{0}; })) {
            layout.cutOffAt = at;
            break;
        }
        if (layout.boxes.size() >= maxTopLevelBoxes)
            throw Problem("the file holds too many boxes");
        Box box = readBoxHeader(header, at, fileSize, nullptr);
        if (box.type == fourCC("moov")) {
            if (!layout.movie)
                layout.movie = layout.boxes.size();
            ++layout.movieCount;
        } else if (box.type == fourCC("moof")) {
            layout.fragmented = true;
        } else if (box.type == fourCC("ftyp") && layout.boxes.empty()) {
            const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(box.payloadSize(), maxBrandBytes));
            layout.handheldBrand = namesHandheldBrand(window.read(box.payloadOffset(), length));
        }
        at = box.end();
        layout.boxes.push_back(std::move(box));
    }
    if (!layout.movie)
        throw Problem("the file has no movie box ('moov'), so it is not a playable video");
    return layout;
}

} // namespace psptitle
