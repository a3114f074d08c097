#pragma once

// The top level of a file as a save sees it: the live movie box, the dead
// space around it (free boxes, movie boxes after the live one, bytes an
// interrupted save cut off at the end), and the tail of the file, which
// holds nothing else, so a save may cut it off.

#include "psptitle/FileLayout.h"

#include <optional>

namespace psptitle {

// Bytes [begin, end) of the file.
struct Span {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    [[nodiscard]] std::uint64_t size() const { return end - begin; }
    bool operator==(const Span&) const = default;
};

// Consecutive dead boxes. A run that is already one compact 'free' box can
// take a new movie box's body behind its header as it is; any other run is
// first made one such box, so no half-written body is ever read as boxes.
struct DeadRun {
    Span span;
    bool oneFreeBox = false;
};

struct FileSpace {
    std::uint64_t fileSize = 0;
    Box live;                        // the first movie box
    std::vector<DeadRun> runs;       // in file order; the cut-off bytes end the last
    std::uint64_t tailStart = 0;     // from here on only the live box and dead space
    bool traces = false;             // cut-off bytes or a second movie box
    bool endsWithOpenBox = false;    // a box other than the live one states no size, so nothing can follow it

    [[nodiscard]] bool liveInTail() const { return live.offset >= tailStart; }
    // The run that ends where the live box starts, or starts where it ends.
    [[nodiscard]] std::optional<DeadRun> runBeforeLive() const;
    [[nodiscard]] std::optional<DeadRun> runAfterLive() const;
    [[nodiscard]] std::uint64_t deadBytes() const;
};

FileSpace mapFileSpace(const FileLayout& layout);

} // namespace psptitle
