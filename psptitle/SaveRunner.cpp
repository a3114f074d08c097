#include "psptitle/SaveRunner.h"

#include "psptitle/Problem.h"

#include <algorithm>
#include <cerrno>

namespace psptitle {
namespace {

[[noreturn]] void writeFailed(int error)
{
    if (error == ENOSPC || error == EDQUOT)
        throw Problem("the medium is full; the title was not saved");
    if (error == EROFS)
        throw Problem("the medium is read-only; the title was not saved");
    throw Problem("the title could not be written (" + systemText(error) + ")");
}

// Bytes a write covered, to be put back.
struct Overwritten {
    std::uint64_t offset = 0;
    ByteVector bytes;
};

class Runner {
public:
    Runner(FileAccess& file, std::uint64_t fileSize) : file_(file), size_(fileSize), restoreSize_(fileSize) {}

    void run(const SavePlan& plan)
    {
        for (std::size_t i = 0; i < plan.steps.size(); ++i) {
            const bool undoable = i < plan.durableFrom;
            const int error = perform(plan.steps[i], undoable);
            if (error == 0)
                continue;
            if (!undoable)
                return;   // the new title is durable; the rest was tidying
            rollBack();
            writeFailed(error);
        }
    }

private:
    int perform(const SaveStep& step, bool undoable)
    {
        switch (step.kind) {
        case SaveStep::Kind::Write:
            if (undoable) {
                if (const int error = remember(step.offset, step.bytes.size()); error != 0)
                    return error;
            }
            size_ = std::max<std::uint64_t>(size_, step.offset + step.bytes.size());
            return file_.writeAt(step.offset, step.bytes);
        case SaveStep::Kind::Flush:
            return file_.flush();
        case SaveStep::Kind::Truncate:
            // Only dead bytes are ever cut; they are not put back.
            if (undoable)
                restoreSize_ = std::min(restoreSize_, step.offset);
            size_ = step.offset;
            return file_.truncate(step.offset);
        }
        return EINVAL;
    }

    // Keeps the bytes a write is about to cover, where the file has any.
    [[nodiscard]] int remember(std::uint64_t offset, std::size_t length)
    {
        if (offset >= size_)
            return 0;
        Overwritten entry{offset, ByteVector(static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset)))};
        std::size_t got = 0;
        if (const int error = file_.readAt(offset, entry.bytes, got); error != 0)
            return error;
        entry.bytes.resize(got);
        journal_.push_back(std::move(entry));
        return 0;
    }

    // Best effort, each step flushed so the undoing passes through the
    // same states as the doing: on a medium that refuses every write the
    // file keeps whatever the last successful step left, which is still
    // a video with the old title.
    void rollBack()
    {
        for (auto entry = journal_.rbegin(); entry != journal_.rend(); ++entry) {
            if (entry->offset >= restoreSize_)
                continue;
            if (file_.writeAt(entry->offset, entry->bytes) != 0 || file_.flush() != 0)
                return;
        }
        (void)file_.truncate(restoreSize_);
        (void)file_.flush();
    }

    FileAccess& file_;
    std::uint64_t size_;          // as the steps so far left it
    std::uint64_t restoreSize_;   // what a rollback cuts the file to
    std::vector<Overwritten> journal_;
};

} // namespace

void runSavePlan(FileAccess& file, std::uint64_t fileSize, const SavePlan& plan)
{
    Runner(file, fileSize).run(plan);
}

} // namespace psptitle
