#include "catalogue/JpegDecoder.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace {

// A thumbnail never needs more; a forged header asking for gigabytes of
// coefficient buffers fails here instead of exhausting the machine.
constexpr long MaxDecoderMemory = 256L * 1024 * 1024;

// Real progressive files have about ten scans. Thousands of repeated scans
// are only warnings to libjpeg but would cost seconds per file.
constexpr int MaxScans = 500;

// libjpeg reports fatal errors through error_exit, which must not return.
// We jump back to the decode function, which then reports failure.
struct ErrorTrap {
    jpeg_error_mgr Manager{};  // first member: libjpeg hands us its address
    std::jmp_buf Jump{};
};

[[noreturn]] void AbandonDecode(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->Jump, 1);
}

void SwallowMessage(j_common_ptr) {}

// Level -1 is a warning. Stray bytes and bad progressions are tolerated,
// as every viewer does; a file whose bytes end before its end marker (a
// copy cut short by unplugging the handheld) is broken, and libjpeg would
// otherwise paint the missing rest grey. Failing at the first missing byte
// also keeps a forged huge header from costing more than its few bytes.
void OnMessage(j_common_ptr info, int level)
{
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        AbandonDecode(info);
}

void OnProgress(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > MaxScans)
        AbandonDecode(info);
}

// Everything libjpeg holds for one decode. It lives in the caller's frame,
// outside the function that calls setjmp, so its destructor runs after a
// jump like after a normal return.
struct DecodeSession {
    jpeg_decompress_struct Info{};
    ErrorTrap Trap{};
    jpeg_progress_mgr Progress{};

    DecodeSession()
    {
        Info.err = jpeg_std_error(&Trap.Manager);
        Trap.Manager.error_exit = AbandonDecode;
        Trap.Manager.emit_message = OnMessage;
        Trap.Manager.output_message = SwallowMessage;
        Progress.progress_monitor = OnProgress;
    }
    // Safe also when jpeg_create_decompress never ran or failed: it only
    // releases what the memory manager holds.
    ~DecodeSession() { jpeg_destroy_decompress(&Info); }
    DecodeSession(const DecodeSession&) = delete;
    DecodeSession& operator=(const DecodeSession&) = delete;
};

bool IsInkColourSpace(J_COLOR_SPACE space)
{
    return space == JCS_CMYK || space == JCS_YCCK;
}

// Four bytes a pixel that read as one 0xFFRRGGBB word in memory order;
// libjpeg-turbo fills the alpha byte with 0xFF.
constexpr J_COLOR_SPACE WordColourSpace = std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;

// Speed over the last bit of accuracy: the result is a small stamp.
void ChooseOutput(jpeg_decompress_struct& info, int width, int height)
{
    info.out_color_space = IsInkColourSpace(info.jpeg_color_space) ? JCS_CMYK : WordColourSpace;
    info.dct_method = JDCT_IFAST;
    info.do_fancy_upsampling = FALSE;
    info.do_block_smoothing = FALSE;
    info.scale_denom = 8;
    for (unsigned num = 1; num <= 8; ++num) {
        info.scale_num = num;
        jpeg_calc_output_dimensions(&info);
        if (info.output_width >= static_cast<JDIMENSION>(width)
            && info.output_height >= static_cast<JDIMENSION>(height))
            break;
    }
}

// The source index whose centre is nearest to the centre of target index i.
int NearestSource(int i, int targetCount, JDIMENSION sourceCount)
{
    return static_cast<int>((std::int64_t{2} * i + 1) * sourceCount / (std::int64_t{2} * targetCount));
}

std::uint32_t Scale255(std::uint32_t a, std::uint32_t b)
{
    return (a * b + 127) / 255;
}

// Photoshop stores ink inverted (0 = full ink) and says so with its Adobe
// marker; YCCK is only ever written that way.
std::uint32_t InkToWord(const JSAMPLE* ink, bool inverted)
{
    std::uint32_t c = ink[0], m = ink[1], y = ink[2], k = ink[3];
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    return 0xFF000000u | Scale255(c, k) << 16 | Scale255(m, k) << 8 | Scale255(y, k);
}

// Working memory of one decode, owned outside the setjmp frame.
struct DecodeBuffers {
    std::vector<JSAMPLE> Row;        // the decoded row just read, 4 bytes a pixel
    std::vector<int> SourceColumn;   // for each target column
};

// Fills one target row from the decoded row by nearest columns.
void SampleRow(const DecodeBuffers& buffers, bool ink, bool inverted, std::uint32_t* target)
{
    const JSAMPLE* row = buffers.Row.data();
    if (ink) {
        for (int source : buffers.SourceColumn)
            *target++ = InkToWord(row + std::size_t(source) * 4, inverted);
    } else {
        for (int source : buffers.SourceColumn)
            std::memcpy(target++, row + std::size_t(source) * 4, 4);
    }
}

// The only function that calls setjmp. Its locals are trivially
// destructible and none is read after a jump; the pixels, the buffers and
// the session belong to the caller.
bool DecodeInto(DecodeSession& session, std::FILE* file, int width, int height, std::uint32_t* pixels,
                DecodeBuffers& buffers)
{
    jpeg_decompress_struct* info = &session.Info;
    if (setjmp(session.Trap.Jump) != 0)
        return false;

    jpeg_create_decompress(info);
    info->progress = &session.Progress;
    info->mem->max_memory_to_use = MaxDecoderMemory;
    jpeg_stdio_src(info, file);
    jpeg_read_header(info, TRUE);
    ChooseOutput(*info, width, height);
    jpeg_start_decompress(info);

    const bool ink = info->out_color_space == JCS_CMYK;
    const bool inverted = info->saw_Adobe_marker || info->jpeg_color_space == JCS_YCCK;
    buffers.Row.resize(std::size_t{info->output_width} * 4);
    buffers.SourceColumn.resize(std::size_t(width));
    for (int x = 0; x < width; ++x)
        buffers.SourceColumn[x] = NearestSource(x, width, info->output_width);

    int targetRow = 0;
    while (targetRow < height) {
        const int sourceRow = static_cast<int>(info->output_scanline);
        JSAMPROW row = buffers.Row.data();
        if (jpeg_read_scanlines(info, &row, 1) != 1)
            return false;
        // Several target rows share a source row when the picture is
        // shorter than the target.
        while (targetRow < height && NearestSource(targetRow, height, info->output_height) == sourceRow) {
            SampleRow(buffers, ink, inverted, pixels + std::size_t(width) * targetRow);
            ++targetRow;
        }
    }
    // No jpeg_finish_decompress: every needed row is in, and what follows
    // them (the last rows, trailing bytes) does not matter.
    return true;
}

} // namespace

bool DecodeJpegStream(std::FILE* file, int width, int height, std::span<std::uint32_t> pixels)
{
    if (file == nullptr || width <= 0 || height <= 0 || pixels.size() != std::size_t(width) * std::size_t(height))
        return false;
    DecodeSession session;
    DecodeBuffers buffers;
    return DecodeInto(session, file, width, height, pixels.data(), buffers);
}
