#include "psptitle/FileSpace.h"

namespace psptitle {

std::optional<DeadRun> FileSpace::runBeforeLive() const
{
    for (const DeadRun& run : runs) {
        if (run.span.end == live.offset)
            return run;
    }
    return std::nullopt;
}

std::optional<DeadRun> FileSpace::runAfterLive() const
{
    for (const DeadRun& run : runs) {
        if (run.span.begin == live.end())
            return run;
    }
    return std::nullopt;
}

std::uint64_t FileSpace::deadBytes() const
{
    std::uint64_t total = 0;
    for (const DeadRun& run : runs)
        total += run.span.size();
    return total;
}

FileSpace mapFileSpace(const FileLayout& layout)
{
    FileSpace space;
    space.fileSize = layout.fileSize;
    space.live = layout.movieBox();
    space.traces = layout.cutOffAt.has_value() || layout.movieCount > 1;
    const std::size_t lastIndex = layout.boxes.size() - 1;
    space.endsWithOpenBox = layout.boxes[lastIndex].sizeForm == SizeForm::ToEnd && !layout.isDead(lastIndex) &&
                            lastIndex != *layout.movie;

    std::optional<DeadRun> open;
    std::size_t boxesInRun = 0;
    const auto closeRun = [&] {
        if (open)
            space.runs.push_back(*open);
        open.reset();
        boxesInRun = 0;
    };
    for (std::size_t i = 0; i < layout.boxes.size(); ++i) {
        const Box& box = layout.boxes[i];
        if (!layout.isDead(i)) {
            closeRun();
            continue;
        }
        if (!open)
            open = DeadRun{{box.offset, box.end()}, false};
        open->span.end = box.end();
        ++boxesInRun;
        open->oneFreeBox = boxesInRun == 1 && box.type == fourCC("free") && box.sizeForm == SizeForm::Compact;
    }
    if (layout.cutOffAt) {
        if (!open)
            open = DeadRun{{*layout.cutOffAt, layout.fileSize}, false};
        open->span.end = layout.fileSize;
        open->oneFreeBox = false;
    }
    closeRun();

    // Walk back from the end over dead boxes and the live box.
    space.tailStart = layout.cutOffAt.value_or(layout.fileSize);
    for (std::size_t i = layout.boxes.size(); i-- > 0;) {
        if (!layout.isDead(i) && i != *layout.movie)
            break;
        space.tailStart = layout.boxes[i].offset;
    }
    return space;
}

} // namespace psptitle
