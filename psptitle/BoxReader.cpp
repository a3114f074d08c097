#include "psptitle/BoxReader.h"

#include "psptitle/Problem.h"

#include <algorithm>

namespace psptitle {
namespace {

constexpr std::size_t maxBoxes = 200000;

// No real box comes near this; a bigger 64-bit size is a damaged header.
constexpr std::uint64_t sizeTooLarge = std::uint64_t{1} << 62;

std::string quoted(FourCC type)
{
    return "'" + typeName(type) + "'";
}

std::string where(const Box* parent)
{
    return parent != nullptr ? "its parent " + quoted(parent->type) : std::string("the file");
}

[[noreturn]] void headerCutShort(const Box* parent)
{
    if (parent == nullptr)
        throw Problem("the file ends inside a box header");
    throw Problem("box " + quoted(parent->type) + " ends inside the header of a box it holds");
}

[[noreturn]] void runsPast(FourCC type, const Box* parent)
{
    if (parent == nullptr && type == fourCC("moov"))
        throw Problem("the file ends inside its movie box");
    if (parent == nullptr)
        throw Problem("the file ends inside its " + quoted(type) + " box");
    throw Problem("box " + quoted(type) + " runs past the end of " + where(parent));
}

bool isContainer(FourCC type)
{
    static constexpr FourCC containers[] = {
        fourCC("moov"), fourCC("trak"), fourCC("mdia"), fourCC("minf"), fourCC("stbl"), fourCC("dinf"),
        fourCC("edts"), fourCC("udta"), fourCC("mvex"), fourCC("meta"), fourCC("ilst"),
    };
    return std::find(std::begin(containers), std::end(containers), type) != std::end(containers);
}

// The children of an item of 'ilst' (such as ©nam) are 'data' boxes; the
// handheld's 'uuid' USMT box holds boxes after its extended type.
bool opens(const Box& box, const Box& parent)
{
    return isContainer(box.type) || parent.type == fourCC("ilst") || (box.isUuid(usmtType) && parent.type == fourCC("moov"));
}

bool allZero(ByteView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::byte b) { return b == std::byte{0}; });
}

class NestedIndexer {
public:
    explicit NestedIndexer(ByteView bytes) : bytes_(bytes) {}

    void index(Box& box, int depth)
    {
        if (depth > maxNestingDepth)
            throw Problem("boxes are nested too deeply");
        std::uint64_t at = box.offset + box.childrenAt;
        const std::uint64_t end = box.end();
        box.childrenEnd = at;
        while (at < end) {
            const std::uint64_t left = end - at;
            const ByteView header = bytes_.subspan(at, std::min<std::uint64_t>(left, maxHeaderSize));
            // QuickTime ends some lists with a 32-bit zero.
            if (left < 8 && allZero(header))
                break;
            if (++count_ > maxBoxes)
                throw Problem("the file holds too many boxes");
            Box child = readBoxHeader(header, at, end, &box);
            if (opens(child, box)) {
                if (child.type == fourCC("meta"))
                    child.childrenAt = metaChildrenOffset(bytes_, child);
                index(child, depth + 1);
            }
            at = child.end();
            box.childrenEnd = at;
            box.children.push_back(std::move(child));
        }
    }

private:
    ByteView bytes_;
    std::size_t count_ = 0;
};

} // namespace

// 'meta' is a full box (4 bytes of version and flags before its children)
// in ISO files but a plain container in QuickTime ones; the QuickTime form
// starts straight with a known child.
std::uint32_t metaChildrenOffset(ByteView bytes, const Box& meta)
{
    if (meta.payloadSize() >= 8) {
        const FourCC first = readU32(bytes, meta.payloadOffset() + 4);
        for (const FourCC known : {fourCC("hdlr"), fourCC("ilst"), fourCC("mhdr"), fourCC("keys")}) {
            if (first == known)
                return meta.headerSize;
        }
    }
    return std::min<std::uint64_t>(meta.size, meta.headerSize + 4);
}

Box readBoxHeader(ByteView header, std::uint64_t offset, std::uint64_t limit, const Box* parent)
{
    if (header.size() < 8)
        headerCutShort(parent);
    Box box;
    box.offset = offset;
    box.type = readU32(header, 4);
    const std::uint32_t compactSize = readU32(header, 0);
    const std::uint64_t room = limit - offset;
    if (compactSize == 1) {
        if (header.size() < 16)
            headerCutShort(parent);
        box.sizeForm = SizeForm::Large;
        box.headerSize = 16;
        box.size = readU64(header, 8);
        if (box.size >= sizeTooLarge)
            throw Problem("box " + quoted(box.type) + " states a 64-bit size too large to be real");
    } else if (compactSize == 0) {
        box.sizeForm = SizeForm::ToEnd;
        box.size = room;
    } else {
        box.size = compactSize;
    }
    if (box.type == fourCC("uuid")) {
        if (header.size() < box.headerSize + 16u)
            headerCutShort(parent);
        std::copy_n(reinterpret_cast<const std::uint8_t*>(header.data()) + box.headerSize, 16, box.extendedType.begin());
        box.headerSize += 16;
    }
    if (box.size < box.headerSize)
        throw Problem("box " + quoted(box.type) + " is smaller than its own header");
    if (box.size > room)
        runsPast(box.type, parent);
    box.childrenAt = box.headerSize;
    return box;
}

void indexNestedBoxes(ByteView bytes, Box& box)
{
    NestedIndexer(bytes).index(box, 0);
}

} // namespace psptitle
