#include "catalogue/Thumbnail.h"

#include "catalogue/JpegDecoder.h"
#include "platform/FileSystem.h"

#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

// A thumbnail is a few kilobytes. A file this large is not one, and
// reading it (a sparse file of gigabytes takes tens of seconds) would
// stall the listing.
constexpr std::int64_t MaxThumbnailBytes = 16 * 1024 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using OpenedThumbnail = std::unique_ptr<std::FILE, FileCloser>;

// Opened without blocking and checked on the open descriptor, so a pipe
// or a device swapped in for the file after the folder was listed is
// refused instead of hanging the listing.
OpenedThumbnail OpenThumbnail(const std::string& path)
{
    const platform::OpenResult opened = platform::OpenRegularForReading(path);
    if (!opened.File.IsOpen())
        return nullptr;
    const auto status = platform::StatDescriptor(opened.File.Get());
    if (!status || status->Size > MaxThumbnailBytes)
        return nullptr;
    // The stream takes a descriptor of its own; `opened` closes the first.
    const int own = ::fcntl(opened.File.Get(), F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return nullptr;
    OpenedThumbnail file(::fdopen(own, "rb"));
    if (!file)
        ::close(own);
    return file;
}

} // namespace

TThumbnail TThumbnail::Placeholder()
{
    TThumbnail placeholder;
    placeholder.Pixels.fill(0xFF000000u);
    return placeholder;
}

std::optional<TThumbnail> DecodeThumbnail(const std::string& path)
{
    const OpenedThumbnail file = OpenThumbnail(path);
    TThumbnail thumbnail;
    if (!file || !DecodeJpegStream(file.get(), TThumbnail::Width, TThumbnail::Height, thumbnail.Pixels))
        return std::nullopt;
    // Pure white is the pictures' mask colour: the row background shows
    // through it.
    for (std::uint32_t& pixel : thumbnail.Pixels)
        if (pixel == 0xFFFFFFFFu)
            pixel = 0x00FFFFFFu;
    return thumbnail;
}
