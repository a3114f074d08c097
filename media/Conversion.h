#pragma once

// A video converted into one the handheld plays (see HandheldTarget.h):
// its pictures fitted into 480 x 272 and encoded by x264 as H.264 Main
// profile, level 3.0, its sound as AAC-LC stereo at 48 kHz, in the
// handheld's own layout with the title stored where the handheld reads
// it. A source with only pictures or only sound keeps what it has, in
// plain MP4 (the handheld's layout needs both) with a standard title tag.
//
// The converted file is written under a temporary name in the target's
// folder and named only once it is whole and on the medium, as copies
// are; a stop or a failure leaves nothing behind.

#include <functional>
#include <optional>
#include <string>

namespace media {

struct TConversionHooks {
    // How far the conversion is: the share of the source's duration done
    // (0 to 1). Called on the converting thread, often: keep it cheap.
    std::function<void(double share)> Progress;
    // Asked on the converting thread between packets: true stops.
    std::function<bool()> ShouldStop;
};

enum class TConversionStatus { Done, Stopped, Failed };

struct TConversionResult {
    TConversionStatus Status = TConversionStatus::Done;
    // What failed, naming the file (empty unless Failed).
    std::string Problem;
    // The file the failure is about, and the errno of a write that failed
    // (0 when the source could not be converted).
    std::string Path;
    int Error = 0;
    bool Ok() const { return Status == TConversionStatus::Done; }
};

// Converts `source` into the new file `target` (never replacing one),
// storing `title` as the handheld's title. Blocks until done; run it off
// the GUI thread.
TConversionResult ConvertForHandheld(const std::string& source, const std::string& target, const std::string& title,
                                     const TConversionHooks& hooks);

// The length of the video at `path` in seconds; nullopt when it does not
// open or does not say.
std::optional<double> VideoDuration(const std::string& path);

} // namespace media
