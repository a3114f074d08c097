#pragma once

// The conversion into the handheld's format done with FFmpeg's libraries
// (see media/Conversion.h for what it makes): the container and the
// files, around the picture and sound halves.

#include "media/Conversion.h"

namespace media {

TConversionResult ConvertWithLibav(const std::string& source, const std::string& target, const std::string& title,
                                   const TConversionHooks& hooks);
std::optional<double> VideoDurationWithLibav(const std::string& path);

} // namespace media
