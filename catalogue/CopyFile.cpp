// The chunked copier. The bytes move in large blocks; the progress
// events still come one per 100-byte chunk of the file, each after its
// bytes were written, so the window's progress and its message-loop turns
// look exactly as with a 100-byte loop.

#include "catalogue/uClass.h"

#include "platform/FileSystem.h"

#include <memory>

namespace {

constexpr int ChunkBytes = 100;
constexpr std::size_t BlockBytes = std::size_t(1) << 20;

const char* const CopyFailedText = "Read/Write file fail!";

} // namespace

bool TCopyFile::Execute(const std::string& Source, const std::string& Dest)
{
    const std::string folder = platform::FolderOf(Dest);
    if (!folder.empty() && !platform::IsDirectory(folder)) {
        // A folder that cannot be made shows up as a failed create below.
        (void)platform::MakeDirectories(folder);
    }

    platform::OpenResult source = platform::OpenRegularForReading(Source);
    if (!source.File.IsOpen())
        return false;
    const auto sourceStatus = platform::StatDescriptor(source.File.Get());
    const auto destStatus = platform::StatPath(Dest);
    // Truncating the destination would destroy a source that is the same file.
    if (!sourceStatus || (destStatus && platform::SameFile(*sourceStatus, *destStatus)))
        return false;

    platform::OpenResult dest = platform::CreateOrTruncate(Dest);
    if (!dest.File.IsOpen())
        return false;
    const auto created = platform::StatDescriptor(dest.File.Get());

    if (CopyContents(source.File.Get(), dest.File.Get(), Source) && platform::SyncFile(dest.File.Get()) == 0
        && dest.File.Close() == 0 && platform::SyncDirectory(folder) == 0)
        return true;

    // Clean up before the box waits for the user, so a medium pulled out
    // meanwhile holds no partial video.
    (void)dest.File.Close();
    (void)source.File.Close();
    const auto present = platform::StatLink(Dest);
    if (present && created && platform::SameFile(*present, *created))
        platform::RemoveFile(Dest);
    if (ShowError)
        ShowError(CopyFailedText);
    return false;
}

bool TCopyFile::CopyContents(int from, int to, const std::string& Source)
{
    try {
        const auto buffer = std::make_unique_for_overwrite<char[]>(BlockBytes);
        // Bytes written but not yet reported: a short read in mid-file
        // must not make a short chunk in mid-file.
        std::int64_t unreported = 0;
        for (;;) {
            const ssize_t count = platform::ReadSome(from, buffer.get(), BlockBytes);
            if (count < 0)
                return false;
            if (count == 0)
                break;
            if (platform::WriteAll(to, buffer.get(), static_cast<std::size_t>(count)) != 0)
                return false;
            for (unreported += count; unreported >= ChunkBytes; unreported -= ChunkBytes)
                ReportChunk(ChunkBytes, Source);
        }
        if (unreported > 0)
            ReportChunk(static_cast<int>(unreported), Source);
        return true;
    } catch (...) {
        // Whatever a handler threw, the copy has failed the same way.
        return false;
    }
}

void TCopyFile::ReportChunk(int count, const std::string& Source)
{
    if (OnProgress)
        OnProgress(count, Source);
    if (OnTurn)
        OnTurn();
}
