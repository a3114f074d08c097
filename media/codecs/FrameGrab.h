#pragma once

// A picture taken from a video through FFmpeg's demuxers and decoders:
// the frame about a tenth into the video (at most ten seconds in),
// passing over black frames (a fade-in, a title card's lead) where a
// later frame of the next seconds has something to show.

#include "media/Picture.h"

#include <string>

namespace media {

// The frame fitted into width x height: scaled with its shape kept (its
// pixel aspect included) and centred, black bars filling the rest.
// Throws TMediaProblem when the file holds no picture that decodes.
TPicture GrabFrame(const std::string& path, int width, int height);

} // namespace media
