// The whole-file copy that thumbnails travel with: small files, copied
// in one go, never over an existing file, and on the medium before the
// caller goes on (a move deletes the original next).

#include "platform/FileSystem.h"

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

} // namespace

int CopyFileExclusive(const std::string& from, const std::string& to)
{
    OpenResult source = OpenRegularForReading(from);
    if (!source.File.IsOpen())
        return source.Error;
    OpenResult dest = CreateExclusive(to);
    if (!dest.File.IsOpen())
        return dest.Error;
    const auto created = StatDescriptor(dest.File.Get());

    int error = copyBytes(source.File.Get(), dest.File.Get());
    if (error == 0)
        error = SyncFile(dest.File.Get());
    if (const int closed = dest.File.Close(); error == 0)
        error = closed;
    if (error == 0)
        error = SyncDirectory(FolderOf(to));
    if (error != 0) {
        // Only the file this call created is removed.
        const auto present = StatLink(to);
        if (present && created && SameFile(*present, *created))
            RemoveFile(to);
    }
    return error;
}

} // namespace platform
