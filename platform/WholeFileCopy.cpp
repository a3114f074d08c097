// The whole-file writes that thumbnails travel with, copied or made:
// small files, written in one go, never over an existing file, and on the
// medium under their name before the caller goes on (a move deletes the
// original next).

#include "platform/FileSystem.h"
#include "platform/StagedFile.h"

#include <cerrno>
#include <memory>

namespace platform {

namespace {

int copyBytes(int from, int to)
{
    constexpr std::size_t BufferBytes = 64 * 1024;
    const auto buffer = std::make_unique_for_overwrite<char[]>(BufferBytes);
    for (;;) {
        const ssize_t count = ReadSome(from, buffer.get(), BufferBytes);
        if (count < 0)
            return errno;
        if (count == 0)
            return 0;
        if (const int error = WriteAll(to, buffer.get(), static_cast<std::size_t>(count)); error != 0)
            return error;
    }
}

// Writes a new file at `to` (which must not exist yet) through `fill`,
// which writes the bytes to the descriptor it is given: under a
// temporary name, named only once whole and flushed; on every failure
// the staged file goes.
template <class Fill> int WriteStagedFile(const std::string& to, Fill fill)
{
    if (Exists(to))
        return EEXIST;
    StagedResult dest = CreateStaged(FolderOf(to));
    if (!dest.File.IsOpen())
        return dest.Error;
    int error = fill(dest.File.Descriptor());
    if (error == 0)
        error = dest.File.Commit(NameOf(to), false);
    if (error == 0)
        error = dest.File.Finish();
    return error;
}

} // namespace

int CopyFileExclusive(const std::string& from, const std::string& to)
{
    OpenResult source = OpenRegularForReading(from);
    if (!source.File.IsOpen())
        return source.Error;
    return WriteStagedFile(to, [&source](int dest) { return copyBytes(source.File.Get(), dest); });
}

int WriteFileExclusive(const std::string& to, const void* bytes, std::size_t size)
{
    return WriteStagedFile(to, [bytes, size](int dest) { return WriteAll(dest, bytes, size); });
}

} // namespace platform
