#pragma once

// What a converted video is: the handheld's own kind of video, well
// inside what it plays (see Playability.h).

#include <cstdint>

namespace media {

// H.264 Main profile, level 3.0, every picture 480 x 272.
constexpr int kTargetWidth = 480;
constexpr int kTargetHeight = 272;
constexpr int kTargetLevel = 30;
// Frame rates stored in headers are sample counts over durations: they
// are compared with room for a duration's rounding.
constexpr double kFrameRateSlack = 0.01;
// At most 29.97 pictures per second.
constexpr int kTargetRateNumerator = 30000;
constexpr int kTargetRateDenominator = 1001;
// x264 at constant quality, held under this rate: plenty for the
// handheld's screen and far below what level 3.0 allows (10 Mbit/s).
constexpr int kTargetVideoMaxRate = 1'500'000;
constexpr int kTargetVideoBuffer = 3'000'000;
constexpr int kTargetQuality = 23;
constexpr const char* kTargetPreset = "veryfast";
constexpr int kTargetBFrames = 2;
// AAC-LC, stereo, 48 kHz.
constexpr int kTargetSampleRate = 48000;
constexpr int kTargetChannels = 2;
constexpr int kTargetAudioRate = 128'000;

// The most a converted video of `seconds` takes: both streams at their
// highest rates, and the container's share on top.
constexpr double MostConvertedBytes(double seconds)
{
    constexpr double bytesPerSecond = (kTargetVideoMaxRate + kTargetAudioRate) / 8.0;
    constexpr double containerShare = 1.03;
    constexpr double headers = 64 * 1024;
    return seconds * bytesPerSecond * containerShare + headers;
}

} // namespace media
