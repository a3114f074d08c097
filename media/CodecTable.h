#pragma once

// The work done with FFmpeg's libraries (decoding pictures, converting
// videos) lives in a plugin, libvantrel-codecs.so, loaded the first time
// it is needed: FFmpeg's libraries and theirs take 70 ms to load, which
// every start of the window would pay otherwise. This is the plugin's
// one entry, a table of its functions; both sides are built together.

#include "media/Conversion.h"
#include "media/Picture.h"

#include <optional>
#include <string>

namespace media {

struct TCodecTable {
    // Raised whenever the table changes shape.
    int Version = 0;
    // See FrameGrab.h; throws TMediaProblem.
    TPicture (*GrabFrame)(const std::string& path, int width, int height) = nullptr;
    // See Conversion.h.
    TConversionResult (*Convert)(const std::string& source, const std::string& target, const std::string& title,
                                 const TConversionHooks& hooks) = nullptr;
    std::optional<double> (*VideoDuration)(const std::string& path) = nullptr;
};

inline constexpr int kCodecTableVersion = 1;
// The plugin's file name and the name of its entry: a C function taking
// nothing and returning `const TCodecTable*`.
inline constexpr const char* kCodecPluginName = "libvantrel-codecs.so";
inline constexpr const char* kCodecEntryName = "vantrel_codec_table";

// The plugin's table, loaded on the first call from beside the program
// (its folder, the folder above it, or ../lib/vantrel from it); null when
// it cannot be loaded, and `problem` then says why. Thread-safe.
const TCodecTable* CodecTable(std::string& problem);

} // namespace media
