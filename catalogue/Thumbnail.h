#pragma once

// Thumbnail pictures of the panes: every picture is exactly 75 x 60.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct TThumbnail {
    static constexpr int Width = 75;
    static constexpr int Height = 60;

    // 0xAARRGGBB, row by row from the top. Pixels that were pure white in
    // the decoded picture have alpha 0 (a mask: the row shows through), all
    // others alpha 255.
    std::array<std::uint32_t, Width * Height> Pixels{};

    // What a row without a picture shows: black and fully opaque.
    static TThumbnail Placeholder();
};

// Decodes a JPEG thumbnail file and stretches it to 75 x 60.
// nullopt when the file is missing, not a regular file, larger than
// 16 MiB (then it is not read at all) or not a decodable JPEG.
std::optional<TThumbnail> DecodeThumbnail(const std::string& path);
