#include "psptitle/SavePlan.h"

#include "psptitle/Problem.h"

#include <limits>

namespace psptitle {
namespace {

// The same for a dead span that is first made one 'free' box, whose size
// must fit the 32-bit size field.
bool spanHolds(const Span& span, std::uint64_t size)
{
    return roomHolds(span.size(), size) && span.size() <= std::numeric_limits<std::uint32_t>::max();
}

ByteVector freeHeader(std::uint64_t size)
{
    if (size > std::numeric_limits<std::uint32_t>::max())
        throw Problem("the file has too much free space in one place to be saved safely");
    ByteVector header;
    appendU32(header, static_cast<std::uint32_t>(size));
    appendU32(header, fourCC("free"));
    return header;
}

// The 'free' box put between the live movie box and a copy appended after
// it, sized so that the space from `deadFrom` to the copy holds a movie
// box of `size` bytes once the live box there is freed.
std::uint64_t gapBefore(std::uint64_t deadSoFar, std::uint64_t size)
{
    if (roomHolds(deadSoFar, size))
        return 0;
    if (deadSoFar < size && size - deadSoFar >= compactHeaderSize)
        return size - deadSoFar;
    return size + 2 * compactHeaderSize - deadSoFar;
}

class Planner {
public:
    Planner(const FileSpace& space, ByteView movie) : space_(space), movie_(movie) {}

    SavePlan plan()
    {
        if (const auto slot = firstDeadRunHolding())
            intoDeadRun(*slot);
        else if (space_.liveInTail())
            atTail();
        else if (const Span home = liveHome(); spanHolds(home, movie_.size()))
            backIntoLiveHome(home);
        else
            toTail();
        return plan_.take();
    }

private:
    void write(std::uint64_t at, ByteVector bytes) { plan_.write(at, std::move(bytes)); }
    void truncate(std::uint64_t size) { plan_.truncate(size); }
    void durableNow() { plan_.durableNow(); }

    // The earliest dead run before the tail that holds the new box.
    std::optional<DeadRun> firstDeadRunHolding() const
    {
        for (const DeadRun& run : space_.runs) {
            if (run.span.end <= space_.tailStart && spanHolds(run.span, movie_.size()))
                return run;
        }
        return std::nullopt;
    }

    // The live box with the dead runs on either side of it.
    Span liveHome() const
    {
        Span home{space_.live.offset, space_.live.end()};
        if (const auto before = space_.runBeforeLive())
            home.begin = before->span.begin;
        if (const auto after = space_.runAfterLive())
            home.end = after->span.end;
        return home;
    }

    void requireRoomAfterEnd() const
    {
        if (space_.endsWithOpenBox)
            throw Problem("the file's last box does not state its size; its title cannot be saved");
    }

    // Writes the new box into the dead `span`: the body behind the span's
    // header (with a 'free' header for the rest of the span), then the
    // box's own header. `asOneFreeBox`: the span already reads as one free
    // box whose header is 8 bytes.
    void fill(Span span, bool asOneFreeBox)
    {
        if (!asOneFreeBox)
            write(span.begin, freeHeader(span.size()));
        ByteVector body(movie_.begin() + compactHeaderSize, movie_.end());
        if (span.size() > movie_.size())
            appendBytes(body, freeHeader(span.size() - movie_.size()));
        write(span.begin + compactHeaderSize, std::move(body));
        write(span.begin, ByteVector(movie_.begin(), movie_.begin() + compactHeaderSize));
    }

    void freeLive() { write(space_.live.offset, freeHeader(space_.live.size)); }

    void cutTail(std::uint64_t at)
    {
        if (at < space_.fileSize)
            truncate(at);
    }

    // A dead run before the tail holds the new box.
    void intoDeadRun(const DeadRun& run)
    {
        fill(run.span, run.oneFreeBox);
        if (run.span.begin < space_.live.offset) {
            durableNow();   // the new box comes first now
            if (!space_.liveInTail())
                freeLive();
        } else {
            freeLive();
            durableNow();
        }
        cutTail(space_.tailStart);
    }

    // The live box is at the end (behind, at most, dead space): the new
    // one ends up at the start of that tail and the file ends after it.
    void atTail()
    {
        const Box& live = space_.live;
        const std::uint64_t start = space_.tailStart;
        if (live.end() < space_.fileSize)
            truncate(live.end());   // what an interrupted save left
        // Everything from the tail's start to the live box is one dead run.
        const auto before = space_.runBeforeLive();
        if (before && spanHolds(before->span, movie_.size())) {
            fill(before->span, before->oneFreeBox);
            durableNow();
            truncate(start + movie_.size());
            return;
        }
        if (live.sizeForm == SizeForm::ToEnd) {
            // A box after it would count as part of it: state its size.
            ByteVector size;
            appendU32(size, static_cast<std::uint32_t>(live.size));
            write(live.offset, std::move(size));
        }
        const std::uint64_t gap = gapBefore(live.end() - start, movie_.size());
        ByteVector appended;
        if (gap > 0) {
            appended = freeHeader(gap);
            appended.resize(gap);
        }
        appendBytes(appended, movie_);
        write(live.end(), std::move(appended));
        const Span freed{start, live.end() + gap};
        write(freed.begin, freeHeader(freed.size()));   // the copy is live now
        durableNow();
        fill(freed, true);
        truncate(start + movie_.size());
    }

    // Nothing before the tail holds the new box, but the live box's place
    // with the dead space around it will: a copy goes after the end of the
    // file, and once it is live, back into that place.
    void backIntoLiveHome(Span home)
    {
        requireRoomAfterEnd();
        cutTail(space_.tailStart);
        const std::uint64_t end = space_.tailStart;
        write(end, ByteVector(movie_.begin(), movie_.end()));
        write(home.begin, freeHeader(home.size()));   // the copy is live now
        durableNow();
        fill(home, true);
        truncate(end);
    }

    // The new box fits nowhere before the media data ends: it goes after it.
    void toTail()
    {
        requireRoomAfterEnd();
        cutTail(space_.tailStart);
        write(space_.tailStart, ByteVector(movie_.begin(), movie_.end()));
        freeLive();
        durableNow();
    }

    const FileSpace& space_;
    ByteView movie_;
    SavePlanBuilder plan_;
};

} // namespace

void SavePlanBuilder::write(std::uint64_t at, ByteVector bytes)
{
    plan_.steps.push_back({SaveStep::Kind::Write, at, std::move(bytes)});
    plan_.steps.push_back({SaveStep::Kind::Flush, 0, {}});
}

void SavePlanBuilder::truncate(std::uint64_t size)
{
    plan_.steps.push_back({SaveStep::Kind::Truncate, size, {}});
    plan_.steps.push_back({SaveStep::Kind::Flush, 0, {}});
}

SavePlan planSave(const FileSpace& space, ByteView newMovie)
{
    if (newMovie.size() < compactHeaderSize)
        throw Problem("the movie box cannot be rewritten safely");
    return Planner(space, newMovie).plan();
}

} // namespace psptitle
