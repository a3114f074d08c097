#include "psptitle/MovieReplacement.h"

#include "psptitle/Problem.h"

#include <cerrno>
#include <limits>

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

ByteVector boxHeader(FourCC type, std::uint64_t size)
{
    ByteVector header;
    if (size > std::numeric_limits<std::uint32_t>::max())
        throw Problem("the movie box is too large to be rewritten");
    appendU32(header, static_cast<std::uint32_t>(size));
    appendU32(header, type);
    return header;
}

// The header that turns the old movie box into a 'free' box of `size`
// bytes, in the same number of bytes as its own header's size and type.
ByteVector hidingHeader(const Box& oldMovie, std::uint64_t size)
{
    if (oldMovie.sizeForm != SizeForm::Large)
        return boxHeader(fourCC("free"), size);
    ByteVector header;
    appendU32(header, 1);
    appendU32(header, fourCC("free"));
    header.resize(16);
    putU64(header, 8, size);
    return header;
}

class Replacement {
public:
    Replacement(FileAccess& file, std::uint64_t fileSize, const Box& oldMovie, ByteView oldHeader)
        : file_(file), fileSize_(fileSize), oldMovie_(oldMovie), oldHeader_(oldHeader)
    {
    }

    void run(ByteView newMovie)
    {
        ByteVector wrapper = boxHeader(fourCC("free"), 8 + newMovie.size());
        appendBytes(wrapper, newMovie);
        appended_ = true;  // a failed append may still have written part
        step(file_.writeAt(fileSize_, wrapper));
        step(file_.flush());

        if (oldMovie_.end() == fileSize_) {
            const ByteVector hiding = hidingHeader(oldMovie_, oldMovie_.size + 8);
            headerTouched_ = true;
            step(file_.writeAt(oldMovie_.offset, hiding));
            step(file_.flush());
            return;
        }
        ByteVector bareHeader;
        appendU32(bareHeader, 8);
        step(file_.writeAt(fileSize_, bareHeader));
        step(file_.flush());
        ByteVector freeType;
        appendU32(freeType, fourCC("free"));
        headerTouched_ = true;
        step(file_.writeAt(oldMovie_.offset + 4, freeType));
        step(file_.flush());
    }

private:
    void step(int error)
    {
        if (error == 0)
            return;
        rollBack();
        writeFailed(error);
    }

    // Best effort: on a medium that refuses every write the file keeps
    // whatever the last successful step left, which is still a video with
    // the old or the new title.
    void rollBack()
    {
        if (headerTouched_) {
            (void)restoreMovieBox(file_, fileSize_, oldMovie_, oldHeader_);
        } else if (appended_) {
            (void)file_.truncate(fileSize_);
            (void)file_.flush();
        }
    }

    FileAccess& file_;
    std::uint64_t fileSize_;
    const Box& oldMovie_;
    ByteView oldHeader_;
    bool appended_ = false;
    bool headerTouched_ = false;
};

} // namespace

void replaceMovieBox(FileAccess& file, std::uint64_t fileSize, const Box& oldMovie, ByteView oldHeader,
                     ByteView newMovie)
{
    Replacement(file, fileSize, oldMovie, oldHeader).run(newMovie);
}

int restoreMovieBox(FileAccess& file, std::uint64_t fileSize, const Box& oldMovie, ByteView oldHeader)
{
    // The header first: the old movie box is then the first one again, so
    // the file is whole even if the cut never happens.
    const std::size_t length = oldMovie.sizeForm == SizeForm::Large ? 16 : 8;
    for (const int error : {file.writeAt(oldMovie.offset, oldHeader.first(length)), file.flush(),
                            file.truncate(fileSize), file.flush()}) {
        if (error != 0)
            return error;
    }
    return 0;
}

} // namespace psptitle
