#pragma once

// Where a new movie box goes and the writes that put it there, so that at
// every moment the first movie box of the file is a whole one, holding the
// old title or the new one:
//
//  - The new box is written only into dead space or after the end of the
//    file, body first and its 8-byte header last, so until that header
//    lands the space still reads as dead.
//  - The save commits with one header write: either the new box's own
//    header, where it lies before the live box, or a 'free' header laid
//    over the live box (and the dead space around it) otherwise.
//  - Only then is the old box freed, and a tail of dead space is cut off.
//
// To keep the file from growing, the new box goes into the earliest dead
// run that holds it. Where none does, the box is put after the end of the
// file first and, once that copy is live, copied back into the space the
// old box leaves, so a movie box at the start stays at the start and one
// at the end leaves no dead space behind it. Each flush orders the writes
// on the medium, so a power cut keeps the same guarantee as a kill.
//
// Media data is never written: every write lands in dead space, in a
// header of a dead or the live movie box, or after the end of the file.

#include "psptitle/Bytes.h"
#include "psptitle/FileSpace.h"

namespace psptitle {

// The header of a box whose size fits its 32-bit size field.
inline constexpr std::uint64_t compactHeaderSize = 8;

// A box of `size` bytes fits `room` when it fills it exactly or leaves
// room for the header of a 'free' box after it.
inline bool roomHolds(std::uint64_t room, std::uint64_t size)
{
    return room == size || room >= size + compactHeaderSize;
}

struct SaveStep {
    enum class Kind { Write, Flush, Truncate };
    Kind kind = Kind::Flush;
    std::uint64_t offset = 0;   // Write: where; Truncate: the new size
    ByteVector bytes;           // Write only
};

struct SavePlan {
    std::vector<SaveStep> steps;
    // The steps before this index leave the old title live, and are undone
    // when one of them fails; once they are done the new title is durable,
    // and what follows only tidies up.
    std::size_t durableFrom = 0;
};

// Builds a plan: every write and truncation is followed by a flush, so the
// medium holds them in the order given.
class SavePlanBuilder {
public:
    void write(std::uint64_t at, ByteVector bytes);
    void truncate(std::uint64_t size);
    // The steps so far leave the old title live; the next ones do not.
    void durableNow() { plan_.durableFrom = plan_.steps.size(); }
    [[nodiscard]] SavePlan take() { return std::move(plan_); }

private:
    SavePlan plan_;
};

// The plan that replaces the live movie box of `space` by `newMovie`.
// Throws Problem, before anything is written, when the file cannot take it.
SavePlan planSave(const FileSpace& space, ByteView newMovie);

} // namespace psptitle
