#include "catalogue/Thumbnail.h"

#include "catalogue/JpegDecoder.h"

TThumbnail TThumbnail::Placeholder()
{
    TThumbnail placeholder;
    placeholder.Pixels.fill(0xFF000000u);
    return placeholder;
}

std::optional<TThumbnail> DecodeThumbnail(const std::string& path)
{
    TThumbnail thumbnail;
    if (!DecodeJpegFile(path, TThumbnail::Width, TThumbnail::Height, thumbnail.Pixels))
        return std::nullopt;
    // Pure white is the image list's mask colour: the row background shows
    // through it.
    for (std::uint32_t& pixel : thumbnail.Pixels)
        if (pixel == 0xFFFFFFFFu)
            pixel = 0x00FFFFFFu;
    return thumbnail;
}
