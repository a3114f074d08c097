#include "psptitle/TitleBoxSave.h"

#include "psptitle/BoxReader.h"
#include "psptitle/Problem.h"

#include <algorithm>
#include <limits>

namespace psptitle {
namespace {

bool isFreeBox(const Box& box)
{
    return box.type == fourCC("free") && box.sizeForm == SizeForm::Compact;
}

bool isTitleBox(const Box& box)
{
    return box.isUuid(usmtType) && box.child(fourCC("MTDT")) != nullptr;
}

ByteVector header(std::uint64_t size, FourCC type)
{
    ByteVector bytes;
    appendU32(bytes, static_cast<std::uint32_t>(size));
    appendU32(bytes, type);
    return bytes;
}

// Free boxes next to each other inside the movie box's tail, in file
// offsets.
struct FreeRun {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    bool oneFreeBox = false;
    [[nodiscard]] std::uint64_t size() const { return end - begin; }
};

// The movie box's tail: its title box and the free boxes around it, with
// nothing but free boxes after the title box.
struct Tail {
    const Box* title = nullptr;
    std::vector<FreeRun> runs;
};

std::optional<Tail> findTail(const Box& movie, std::uint64_t movieAt)
{
    const auto& children = movie.children;
    const auto title = std::find_if(children.begin(), children.end(), isTitleBox);
    if (title == children.end() || title->sizeForm != SizeForm::Compact)
        return std::nullopt;
    if (!std::all_of(title + 1, children.end(), isFreeBox))
        return std::nullopt;
    auto first = title;
    while (first != children.begin() && isFreeBox(*(first - 1)))
        --first;
    Tail tail;
    tail.title = &*title;
    for (auto box = first; box != children.end(); ++box) {
        if (box == title)
            continue;
        const std::uint64_t begin = movieAt + box->offset;
        if (!tail.runs.empty() && tail.runs.back().end == begin) {
            tail.runs.back().end = begin + box->size;
            tail.runs.back().oneFreeBox = false;
        } else {
            tail.runs.push_back({begin, begin + box->size, true});
        }
    }
    return tail;
}

// The new title box, when `newMovie` is `oldMovie` with its title box
// `title` replaced by it and nothing else changed but the movie box's size.
std::optional<ByteVector> replacedTitleBox(ByteView oldMovie, const Box& oldIndex, const Box& title, ByteView newMovie)
{
    if (newMovie.size() < compactHeaderSize || readU32(newMovie, 4) != fourCC("moov")
        || readU32(newMovie, 0) != newMovie.size())
        return std::nullopt;
    const std::uint64_t after = oldMovie.size() - title.end();
    if (newMovie.size() < title.offset + after)
        return std::nullopt;
    const std::uint64_t newSize = newMovie.size() - title.offset - after;
    Box replaced;
    try {
        const ByteView head = newMovie.subspan(title.offset, std::min<std::uint64_t>(newSize, maxHeaderSize));
        replaced = readBoxHeader(head, title.offset, title.offset + newSize, &oldIndex);
    } catch (const Problem&) {
        return std::nullopt;
    }
    const auto same = [&](std::uint64_t oldAt, std::uint64_t newAt, std::uint64_t length) {
        return std::equal(oldMovie.begin() + oldAt, oldMovie.begin() + oldAt + length, newMovie.begin() + newAt);
    };
    if (replaced.size != newSize || !replaced.isUuid(usmtType) || replaced.sizeForm != SizeForm::Compact
        || !same(compactHeaderSize, compactHeaderSize, title.offset - compactHeaderSize)
        || !same(title.end(), title.offset + newSize, after))
        return std::nullopt;
    const auto from = newMovie.begin() + static_cast<std::ptrdiff_t>(title.offset);
    return ByteVector(from, from + static_cast<std::ptrdiff_t>(newSize));
}

class TitleBoxPlanner {
public:
    TitleBoxPlanner(const FileSpace& space, const Tail& tail, ByteVector newTitle)
        : space_(space), tail_(tail), newTitle_(std::move(newTitle)), oldTitleAt_(space.live.offset + tail.title->offset)
    {
    }

    std::optional<SavePlan> plan()
    {
        // Free space after the movie box is what an interrupted save left.
        if (space_.live.end() < space_.fileSize)
            truncate(space_.live.end());
        const auto run = std::find_if(tail_.runs.begin(), tail_.runs.end(),
                                      [&](const FreeRun& each) { return roomHolds(each.size(), newTitle_.size()); });
        if (run != tail_.runs.end())
            return intoFreeRun(*run);
        return appended();
    }

private:
    void write(std::uint64_t at, ByteVector bytes) { plan_.write(at, std::move(bytes)); }
    void truncate(std::uint64_t size) { plan_.truncate(size); }
    void durableNow() { plan_.durableNow(); }

    ByteVector newBody() const { return ByteVector(newTitle_.begin() + compactHeaderSize, newTitle_.end()); }
    ByteVector newHeader() const { return ByteVector(newTitle_.begin(), newTitle_.begin() + compactHeaderSize); }
    // The old title box becomes free space, its bytes cleared so no
    // reader finds the old entries in it. Where the old box still holds
    // the live title, its header alone is the commit and the bytes are
    // cleared after it.
    void freeOldTitle(bool commits)
    {
        const ByteVector cleared(tail_.title->size - compactHeaderSize);
        if (commits) {
            write(oldTitleAt_, header(tail_.title->size, fourCC("free")));
            durableNow();
            write(oldTitleAt_ + compactHeaderSize, cleared);
            return;
        }
        ByteVector freed = header(tail_.title->size, fourCC("free"));
        appendBytes(freed, cleared);
        write(oldTitleAt_, std::move(freed));
    }

    SavePlan intoFreeRun(const FreeRun& run)
    {
        if (!run.oneFreeBox)
            write(run.begin, header(run.size(), fourCC("free")));
        ByteVector body = newBody();
        if (run.size() > newTitle_.size())
            appendBytes(body, header(run.size() - newTitle_.size(), fourCC("free")));
        write(run.begin + compactHeaderSize, std::move(body));
        write(run.begin, newHeader());
        const bool newComesFirst = run.begin < oldTitleAt_;
        if (newComesFirst)
            durableNow();
        freeOldTitle(!newComesFirst);
        return plan_.take();
    }

    std::optional<SavePlan> appended()
    {
        const std::uint64_t widened = space_.live.size + newTitle_.size();
        if (widened > std::numeric_limits<std::uint32_t>::max())
            return std::nullopt;
        const std::uint64_t end = space_.live.end();
        ByteVector asFree = header(newTitle_.size(), fourCC("free"));
        appendBytes(asFree, newBody());
        write(end, std::move(asFree));
        write(space_.live.offset, header(widened, fourCC("moov")));
        write(end, newHeader());
        freeOldTitle(true);
        return plan_.take();
    }

    const FileSpace& space_;
    const Tail& tail_;
    ByteVector newTitle_;
    std::uint64_t oldTitleAt_;
    SavePlanBuilder plan_;
};

} // namespace

std::optional<SavePlan> planTitleBoxSave(const FileSpace& space, ByteView oldMovie, const Box& oldIndex,
                                         ByteView newMovie)
{
    // The movie box last, behind nothing but the free space an
    // interrupted save may have left, with a compact header.
    if (space.traces || !space.liveInTail() || space.live.sizeForm != SizeForm::Compact
        || space.live.headerSize != compactHeaderSize)
        return std::nullopt;
    if (space.live.end() != space.fileSize) {
        const std::optional<DeadRun> after = space.runAfterLive();
        if (!after || after->span.end != space.fileSize)
            return std::nullopt;
    }
    // Bytes after the last child that are no box (QuickTime's closing
    // zeros) would sit between the old tail and an appended title box.
    if (oldIndex.childrenEnd != oldIndex.size)
        return std::nullopt;
    const std::optional<Tail> tail = findTail(oldIndex, space.live.offset);
    if (!tail)
        return std::nullopt;
    std::optional<ByteVector> newTitle = replacedTitleBox(oldMovie, oldIndex, *tail->title, newMovie);
    if (!newTitle)
        return std::nullopt;
    return TitleBoxPlanner(space, *tail, std::move(*newTitle)).plan();
}

} // namespace psptitle
