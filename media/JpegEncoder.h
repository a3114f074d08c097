#pragma once

// JPEG encoding through libjpeg: baseline (not progressive), YCbCr with
// 4:2:0 chroma, as the handheld's own thumbnails are.

#include "media/Picture.h"

#include <cstdint>
#include <vector>

namespace media {

// The JPEG file of `picture` at `quality` (1..100). Throws TMediaProblem
// should libjpeg fail.
std::vector<std::uint8_t> EncodeJpeg(const TPicture& picture, int quality);

} // namespace media
