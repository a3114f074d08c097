#include "psptitle/TitleExcerpt.h"

#include "psptitle/BoxReader.h"
#include "psptitle/HeaderWindow.h"
#include "psptitle/Problem.h"

#include <algorithm>

namespace psptitle {
namespace {

// A title box or a name tag this large is damage, not a title.
constexpr std::uint64_t maxKeptBox = std::uint64_t{16} << 20;
constexpr std::size_t maxWalkedBoxes = 200000;

// What the excerpt keeps of a container's children.
enum class Keeps { MovieChildren, UserDataChildren, MetaChildren, ItemListChildren };

bool allZero(ByteView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::byte b) { return b == std::byte{0}; });
}

class ExcerptReader {
public:
    explicit ExcerptReader(HeaderWindow& window) : window_(window) {}

    // Appends `box` as a container holding only the children its kind
    // keeps. Its header is written in the compact form.
    void appendContainer(ByteVector& out, const Box& box, Keeps keeps, int depth)
    {
        if (depth > maxNestingDepth)
            throw Problem("boxes are nested too deeply");
        const std::size_t start = out.size();
        appendU32(out, 0);
        appendU32(out, box.type);
        const std::uint32_t childrenAt = keeps == Keeps::MetaChildren ? metaChildrenAt(box) : box.headerSize;
        // Between the header and the children: the version and flags of a
        // full 'meta' box.
        if (childrenAt > box.headerSize) {
            const ByteView between = window_.read(box.offset + box.headerSize, childrenAt - box.headerSize);
            out.insert(out.end(), between.begin(), between.end());
        }
        for (const Box& child : children(box, childrenAt))
            appendKept(out, child, keeps, depth);
        putU32(out, start, static_cast<std::uint32_t>(out.size() - start));
    }

private:
    void appendKept(ByteVector& out, const Box& child, Keeps keeps, int depth)
    {
        switch (keeps) {
        case Keeps::MovieChildren:
            if (child.isUuid(usmtType))
                appendWhole(out, child);
            else if (child.type == fourCC("udta"))
                appendContainer(out, child, Keeps::UserDataChildren, depth + 1);
            return;
        case Keeps::UserDataChildren:
            if (child.type == nameTag)
                appendWhole(out, child);
            else if (child.type == fourCC("meta"))
                appendContainer(out, child, Keeps::MetaChildren, depth + 1);
            // Nested user data is damage the whole index refuses: kept,
            // so the excerpt's index refuses it too.
            else if (child.type == fourCC("udta"))
                appendContainer(out, child, Keeps::UserDataChildren, depth + 1);
            return;
        case Keeps::MetaChildren:
            if (child.type == fourCC("ilst"))
                appendContainer(out, child, Keeps::ItemListChildren, depth + 1);
            return;
        case Keeps::ItemListChildren:
            if (child.type == nameTag)
                appendWhole(out, child);
            return;
        }
    }

    // The children of `box` (file offsets) from `childrenAt` on, headers
    // only, each checked as the whole index checks it.
    std::vector<Box> children(const Box& box, std::uint64_t childrenAt)
    {
        std::vector<Box> found;
        std::uint64_t at = box.offset + childrenAt;
        while (at < box.end()) {
            const std::uint64_t left = box.end() - at;
            const ByteView header = window_.read(at, static_cast<std::size_t>(std::min<std::uint64_t>(left, maxHeaderSize)));
            // QuickTime ends some lists with a 32-bit zero.
            if (left < 8 && allZero(header))
                break;
            if (++walked_ > maxWalkedBoxes)
                throw Problem("the file holds too many boxes");
            found.push_back(readBoxHeader(header, at, box.end(), &box));
            at = found.back().end();
        }
        return found;
    }

    void appendWhole(ByteVector& out, const Box& box)
    {
        if (box.size > maxKeptBox)
            throw Problem("box '" + typeName(box.type) + "' is too large to hold a title");
        const ByteView bytes = window_.read(box.offset, static_cast<std::size_t>(box.size));
        out.insert(out.end(), bytes.begin(), bytes.end());
    }

    std::uint32_t metaChildrenAt(const Box& meta)
    {
        // The header and the first child's header are enough to tell.
        const std::size_t head = static_cast<std::size_t>(std::min<std::uint64_t>(meta.size, meta.headerSize + 12));
        const ByteView bytes = window_.read(meta.offset, head);
        Box local = meta;
        local.offset = 0;
        local.size = head;
        return std::min<std::uint32_t>(metaChildrenOffset(bytes, local), static_cast<std::uint32_t>(meta.size));
    }

    HeaderWindow& window_;
    std::size_t walked_ = 0;
};

} // namespace

ByteVector readTitleExcerpt(HeaderWindow& window, const Box& movie)
{
    ByteVector excerpt;
    ExcerptReader(window).appendContainer(excerpt, movie, Keeps::MovieChildren, 0);
    return excerpt;
}

} // namespace psptitle
