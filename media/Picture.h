#pragma once

// A small picture held as RGB rows, top row first, three bytes a pixel.

#include <cstdint>
#include <vector>

namespace media {

struct TPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgb;

    TPicture() = default;
    // Black, width x height.
    TPicture(int width, int height)
        : Width(width), Height(height), Rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
    {
    }
    int Stride() const { return Width * 3; }
};

} // namespace media
