#pragma once

// JPEG decoding through libjpeg, shrunk by DCT scaling while decoding so
// that a picture of several megapixels costs little more than a small one.

#include <cstdint>
#include <cstdio>
#include <span>

// Decodes the JPEG read from `file` and stretches it to exactly width x
// height, aspect not kept, into `pixels` (width * height of them, row by
// row from the top, each 0xFFRRGGBB). It decodes at the smallest DCT scale
// (1/8 .. 8/8) that is not below width x height, then takes the nearest
// pixel, row by row as the rows come, so only one decoded row is held.
// CMYK and YCCK pictures are converted to RGB (as inverted ink,
// Adobe-style, when the file carries an Adobe marker).
//
// False when the file cannot be read, is not a JPEG, is cut short (its
// bytes end before its end marker), or would need an unreasonable amount of memory or scans; the
// pixels are then unspecified. libjpeg's messages are swallowed: nothing
// is printed, nothing aborts.
// The caller opens and closes the file.
[[nodiscard]] bool DecodeJpegStream(std::FILE* file, int width, int height, std::span<std::uint32_t> pixels);
