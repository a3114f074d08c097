#pragma once

// The handheld's thumbnail made for a video that has none: a 160 x 120
// baseline JPEG of a frame from about a tenth into it (see FrameGrab.h).

#include <cstdint>
#include <string>
#include <vector>

namespace media {

constexpr int kThumbnailWidth = 160;
constexpr int kThumbnailHeight = 120;

// The JPEG bytes. Throws TMediaProblem when no picture decodes.
std::vector<std::uint8_t> MakeThumbnail(const std::string& videoPath);

// Makes the thumbnail of `videoPath` and writes it as `target`, flushed
// to the medium and never over an existing file (see
// platform::WriteFileExclusive). Empty when done, else why not (naming
// `target` when it is the write that failed).
std::string WriteMadeThumbnail(const std::string& videoPath, const std::string& target);

} // namespace media
