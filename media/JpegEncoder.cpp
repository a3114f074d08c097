#include "media/JpegEncoder.h"

#include "media/MediaProblem.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace media {

namespace {

// libjpeg's fatal errors must not return: they jump back to EncodeJpeg.
struct ErrorTrap {
    jpeg_error_mgr Manager{}; // first member: libjpeg hands us its address
    std::jmp_buf Jump{};
};

[[noreturn]] void AbandonEncode(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->Jump, 1);
}

void SwallowMessage(j_common_ptr) {}

// What libjpeg holds for one encode, released however the encode ends.
// It lives outside the function that calls setjmp.
struct EncodeSession {
    jpeg_compress_struct Info{};
    ErrorTrap Trap{};
    unsigned char* Output = nullptr;
    unsigned long OutputSize = 0;

    EncodeSession()
    {
        Info.err = jpeg_std_error(&Trap.Manager);
        Trap.Manager.error_exit = AbandonEncode;
        Trap.Manager.output_message = SwallowMessage;
    }
    ~EncodeSession()
    {
        jpeg_destroy_compress(&Info);
        std::free(Output);
    }
    EncodeSession(const EncodeSession&) = delete;
    EncodeSession& operator=(const EncodeSession&) = delete;
};

bool Encode(EncodeSession& session, const TPicture& picture, int quality)
{
    jpeg_compress_struct& info = session.Info;
    if (setjmp(session.Trap.Jump) != 0)
        return false;
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &session.Output, &session.OutputSize);
    info.image_width = static_cast<JDIMENSION>(picture.Width);
    info.image_height = static_cast<JDIMENSION>(picture.Height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    // The defaults are baseline YCbCr with 2 x 2 sampled chroma (4:2:0).
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        // libjpeg's API takes rows as non-const; it only reads them.
        auto* row = const_cast<JSAMPLE*>(picture.Rgb.data() +
                                         static_cast<std::size_t>(info.next_scanline) * picture.Stride());
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

} // namespace

std::vector<std::uint8_t> EncodeJpeg(const TPicture& picture, int quality)
{
    EncodeSession session;
    if (!Encode(session, picture, quality))
        throw TMediaProblem("cannot encode the thumbnail");
    return {session.Output, session.Output + session.OutputSize};
}

} // namespace media
