#include "media/codecs/Libav.h"

#include "media/MediaProblem.h"

#include <algorithm>

namespace media {

std::string LibavErrorText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

void ThrowUndecodable(const std::string& what, int error)
{
    throw TMediaProblem("cannot be decoded: " + what + " (" + LibavErrorText(error) + ")");
}

void ThrowUnconvertible(const std::string& what, int error)
{
    throw TMediaProblem("cannot be converted: " + what + " (" + LibavErrorText(error) + ")");
}

TFormat OpenFormat(const std::string& path)
{
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* opened = nullptr;
    if (const int error = avformat_open_input(&opened, path.c_str(), nullptr, nullptr); error < 0)
        ThrowUndecodable("the file does not open as a video", error);
    TFormat format(opened);
    if (const int error = avformat_find_stream_info(format.get(), nullptr); error < 0)
        ThrowUndecodable("its streams cannot be read", error);
    return format;
}

TCodec OpenDecoder(const AVStream& stream, const AVCodec& codec, int threadType)
{
    TCodec decoder(avcodec_alloc_context3(&codec));
    if (!decoder)
        throw TMediaProblem("cannot be decoded: out of memory");
    if (const int error = avcodec_parameters_to_context(decoder.get(), stream.codecpar); error < 0)
        ThrowUndecodable("its stream settings are not valid", error);
    decoder->thread_type = threadType;
    decoder->thread_count = 0;
    decoder->pkt_timebase = stream.time_base;
    if (const int error = avcodec_open2(decoder.get(), &codec, nullptr); error < 0)
        ThrowUndecodable("its codec cannot be opened", error);
    return decoder;
}

TFrame NewFrame()
{
    TFrame frame(av_frame_alloc());
    if (!frame)
        throw TMediaProblem("out of memory");
    return frame;
}

TPacket NewPacket()
{
    TPacket packet(av_packet_alloc());
    if (!packet)
        throw TMediaProblem("out of memory");
    return packet;
}

TFittedSize FitInside(int width, int height, AVRational pixelAspect, int boxWidth, int boxHeight, bool enlarge)
{
    double shownWidth = width;
    if (pixelAspect.num > 0 && pixelAspect.den > 0)
        shownWidth *= av_q2d(pixelAspect);
    const double aspect = shownWidth / height;
    double fittedWidth = shownWidth;
    double fittedHeight = height;
    if (enlarge || fittedWidth > boxWidth || fittedHeight > boxHeight) {
        if (aspect >= static_cast<double>(boxWidth) / boxHeight) {
            fittedWidth = boxWidth;
            fittedHeight = boxWidth / aspect;
        } else {
            fittedHeight = boxHeight;
            fittedWidth = boxHeight * aspect;
        }
    }
    TFittedSize fitted;
    fitted.Width = std::clamp(static_cast<int>(fittedWidth + 0.5) & ~1, 2, boxWidth);
    fitted.Height = std::clamp(static_cast<int>(fittedHeight + 0.5) & ~1, 2, boxHeight);
    return fitted;
}

} // namespace media
