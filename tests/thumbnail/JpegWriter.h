#pragma once

// Test pictures encoded with the real libjpeg compressor, in every colour
// space and coding a camera or a photo editor may use for a thumbnail.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <cstdio>
#include <jpeglib.h>

// A picture in the samples the compressor is given: 1 (grey), 3 (RGB) or
// 4 (CMYK ink as stored) bytes a pixel, rows from the top.
struct SamplePicture {
    int Width = 0;
    int Height = 0;
    int Components = 3;
    std::vector<std::uint8_t> Samples;
};

// Every pixel from a function of its position.
SamplePicture MakePicture(int width, int height, int components,
                          const std::function<std::vector<std::uint8_t>(int x, int y)>& pixelAt);

// One colour per quarter: top left, top right, bottom left, bottom right.
SamplePicture MakeQuarters(int width, int height, const std::vector<std::vector<std::uint8_t>>& quarters);

struct JpegCoding {
    J_COLOR_SPACE Stored = JCS_YCbCr;  // the colour space inside the file
    bool Progressive = false;
    bool AdobeMarker = true;           // only looked at for CMYK and YCCK
    int Quality = 92;
};

std::vector<std::uint8_t> EncodeJpeg(const SamplePicture& picture, const JpegCoding& coding = {});

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
