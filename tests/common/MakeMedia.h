#pragma once

// Test media made by FFmpeg.

#include <optional>
#include <vector>
#include <string>

// How a test video is made.
struct VideoRecipe {
    std::string format = "psp";              // -f psp, mp4 or mov
    std::optional<std::string> title;        // -metadata title=...
    bool faststart = false;                  // movie box before the media data
    bool fragmented = false;                 // -movflags frag_keyframe+empty_moov
    bool bitexact = false;                   // -fflags +bitexact
    int loops = 0;                           // the second played this many times more
    bool tiny = false;                       // 32x24 pictures, 16 kb/s sound: little media data
    int seconds = 1;                         // the length before looping
};

// Makes a `seconds`-long 160x120 video (testsrc and a sine tone, MPEG-4
// and AAC) with one video and one audio stream;
// with `loops`, that clip looped without re-encoding (an hour in a few
// seconds, with the movie box an hour's video has).
// Fails the calling test (by exception) when FFmpeg fails.
void MakeVideo(const std::string& target, const VideoRecipe& recipe);

// A one-frame 160 x 120 JPEG of the lavfi source `source` ("testsrc",
// "color=c=red").
void MakePicture(const std::string& target, const std::string& source);

// Runs `ffmpeg -nostdin -y -v error ARGUMENTS... TARGET`: any clip a test
// needs, from its own inputs and encoder settings.
void MakeClip(const std::string& target, const std::vector<std::string>& arguments);
