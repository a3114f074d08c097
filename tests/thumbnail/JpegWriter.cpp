#include "tests/thumbnail/JpegWriter.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace {

J_COLOR_SPACE InputSpace(int components)
{
    switch (components) {
    case 1: return JCS_GRAYSCALE;
    case 4: return JCS_CMYK;
    default: return JCS_RGB;
    }
}

struct Compressor {
    jpeg_compress_struct Info{};
    jpeg_error_mgr Errors{};
    unsigned char* Buffer = nullptr;
    unsigned long Size = 0;

    Compressor()
    {
        Info.err = jpeg_std_error(&Errors);
        jpeg_create_compress(&Info);
        jpeg_mem_dest(&Info, &Buffer, &Size);
    }
    ~Compressor()
    {
        jpeg_destroy_compress(&Info);
        std::free(Buffer);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
};

} // namespace

SamplePicture MakePicture(int width, int height, int components,
                          const std::function<std::vector<std::uint8_t>(int x, int y)>& pixelAt)
{
    SamplePicture picture{width, height, components, {}};
    picture.Samples.reserve(std::size_t(width) * height * components);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (std::uint8_t sample : pixelAt(x, y))
                picture.Samples.push_back(sample);
    if (picture.Samples.size() != std::size_t(width) * height * components)
        throw std::logic_error("pixel function gives the wrong number of samples");
    return picture;
}

SamplePicture MakeQuarters(int width, int height, const std::vector<std::vector<std::uint8_t>>& quarters)
{
    const int components = static_cast<int>(quarters.at(0).size());
    return MakePicture(width, height, components, [&](int x, int y) {
        return quarters.at((y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1));
    });
}

std::vector<std::uint8_t> EncodeJpeg(const SamplePicture& picture, const JpegCoding& coding)
{
    Compressor compressor;
    jpeg_compress_struct& info = compressor.Info;
    info.image_width = static_cast<JDIMENSION>(picture.Width);
    info.image_height = static_cast<JDIMENSION>(picture.Height);
    info.input_components = picture.Components;
    info.in_color_space = InputSpace(picture.Components);
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, coding.Stored);
    if (coding.Stored == JCS_CMYK || coding.Stored == JCS_YCCK)
        info.write_Adobe_marker = coding.AdobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&info, coding.Quality, TRUE);
    if (coding.Progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    const std::size_t stride = std::size_t(picture.Width) * picture.Components;
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPLE*>(picture.Samples.data() + stride * info.next_scanline);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return {compressor.Buffer, compressor.Buffer + compressor.Size};
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
