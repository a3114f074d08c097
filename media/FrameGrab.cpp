#include "media/FrameGrab.h"

#include "media/MediaProblem.h"

#include <algorithm>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace media {

namespace {

// Where the picture is taken: a tenth into the video, at most this far.
constexpr double kLatestPick = 10.0;
// How far past that point black frames are passed over.
constexpr double kBlackSearch = 5.0;
// However the stream is made, a grab decodes at most this many frames.
constexpr int kMaxDecodedFrames = 600;
// A frame whose fitted picture is darker than this on average (0..255)
// counts as black.
constexpr int kBlackLevel = 20;

struct FormatCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFreer {
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};
using TFormat = std::unique_ptr<AVFormatContext, FormatCloser>;
using TDecoder = std::unique_ptr<AVCodecContext, CodecFreer>;
using TFrame = std::unique_ptr<AVFrame, FrameFreer>;
using TPacket = std::unique_ptr<AVPacket, PacketFreer>;
using TScaler = std::unique_ptr<SwsContext, ScalerFreer>;

[[noreturn]] void ThrowUndecodable(const std::string& what, int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    throw TMediaProblem("cannot be decoded: " + what + " (" + text + ")");
}

TFormat OpenFormat(const std::string& path)
{
    AVFormatContext* opened = nullptr;
    if (const int error = avformat_open_input(&opened, path.c_str(), nullptr, nullptr); error < 0)
        ThrowUndecodable("the file does not open as a video", error);
    TFormat format(opened);
    if (const int error = avformat_find_stream_info(format.get(), nullptr); error < 0)
        ThrowUndecodable("its streams cannot be read", error);
    return format;
}

TDecoder OpenDecoder(const AVStream& stream, const AVCodec& codec)
{
    TDecoder decoder(avcodec_alloc_context3(&codec));
    if (!decoder)
        throw TMediaProblem("cannot be decoded: out of memory");
    if (const int error = avcodec_parameters_to_context(decoder.get(), stream.codecpar); error < 0)
        ThrowUndecodable("its video settings are not valid", error);
    // One picture is wanted: frame threads would only delay it.
    decoder->thread_type = FF_THREAD_SLICE;
    if (const int error = avcodec_open2(decoder.get(), &codec, nullptr); error < 0)
        ThrowUndecodable("its video codec cannot be opened", error);
    return decoder;
}

// The size a picture of `frame` takes inside width x height, its shape
// (display aspect) kept, in even pixels.
void FittedSize(const AVFrame& frame, int width, int height, int& fittedWidth, int& fittedHeight)
{
    double aspect = static_cast<double>(frame.width) / frame.height;
    if (frame.sample_aspect_ratio.num > 0 && frame.sample_aspect_ratio.den > 0)
        aspect *= av_q2d(frame.sample_aspect_ratio);
    if (aspect >= static_cast<double>(width) / height) {
        fittedWidth = width;
        fittedHeight = static_cast<int>(width / aspect + 0.5);
    } else {
        fittedHeight = height;
        fittedWidth = static_cast<int>(height * aspect + 0.5);
    }
    fittedWidth = std::clamp(fittedWidth & ~1, 2, width);
    fittedHeight = std::clamp(fittedHeight & ~1, 2, height);
}

TPicture Fit(const AVFrame& frame, int width, int height)
{
    int fittedWidth = 0;
    int fittedHeight = 0;
    FittedSize(frame, width, height, fittedWidth, fittedHeight);
    TScaler scaler(sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), fittedWidth,
                                  fittedHeight, AV_PIX_FMT_RGB24, SWS_AREA, nullptr, nullptr, nullptr));
    if (!scaler)
        throw TMediaProblem("cannot be decoded: its pictures cannot be scaled");
    TPicture picture(width, height);
    const int left = (width - fittedWidth) / 2;
    const int top = (height - fittedHeight) / 2;
    std::uint8_t* target[4] = {picture.Rgb.data() + top * picture.Stride() + left * 3, nullptr, nullptr, nullptr};
    const int targetStride[4] = {picture.Stride(), 0, 0, 0};
    sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, target, targetStride);
    return picture;
}

bool IsBlack(const TPicture& picture)
{
    std::uint64_t sum = 0;
    for (const std::uint8_t value : picture.Rgb)
        sum += value;
    return sum < static_cast<std::uint64_t>(kBlackLevel) * picture.Rgb.size();
}

// Decodes the video stream from where the demuxer stands and keeps the
// picture to show: the first frame at or after `pick` seconds that is
// not black, else the first one at or after it, else the last decoded.
class TFrameSearch {
public:
    TFrameSearch(AVFormatContext& format, AVStream& stream, AVCodecContext& decoder, int width, int height)
        : FFormat(format), FStream(stream), FDecoder(decoder), FWidth(width), FHeight(height)
    {
    }

    TPicture Run(double pick)
    {
        FPick = pick;
        TPacket packet(av_packet_alloc());
        TFrame frame(av_frame_alloc());
        FLatestBefore.reset(av_frame_alloc());
        if (!packet || !frame || !FLatestBefore)
            throw TMediaProblem("cannot be decoded: out of memory");
        bool draining = false;
        while (!FDone) {
            if (!draining) {
                const int read = av_read_frame(&FFormat, packet.get());
                if (read < 0) {
                    draining = true;
                    avcodec_send_packet(&FDecoder, nullptr);
                } else if (packet->stream_index == FStream.index) {
                    avcodec_send_packet(&FDecoder, packet.get());
                }
                av_packet_unref(packet.get());
            }
            if (!ReceiveFrames(*frame) && draining)
                break;
        }
        // The stream ended before the pick: its last picture, then.
        if (FChosen.Rgb.empty() && FLatestBefore->width > 0)
            FChosen = Fit(*FLatestBefore, FWidth, FHeight);
        if (FChosen.Rgb.empty())
            throw TMediaProblem("cannot be decoded: no picture of it decodes");
        return std::move(FChosen);
    }

private:
    // Takes the frames the decoder has ready; false at its end.
    bool ReceiveFrames(AVFrame& frame)
    {
        for (;;) {
            const int received = avcodec_receive_frame(&FDecoder, &frame);
            if (received == AVERROR(EAGAIN))
                return true;
            if (received < 0)
                return false;
            Consider(frame);
            av_frame_unref(&frame);
            if (FDone)
                return true;
        }
    }

    void Consider(const AVFrame& frame)
    {
        const std::int64_t stamp = frame.best_effort_timestamp;
        const double at = stamp == AV_NOPTS_VALUE ? FPick : static_cast<double>(stamp) * av_q2d(FStream.time_base);
        const bool last = ++FDecoded >= kMaxDecodedFrames || at >= FPick + kBlackSearch;
        if (at < FPick && !last) {
            av_frame_unref(FLatestBefore.get());
            (void)av_frame_ref(FLatestBefore.get(), &frame);
            return;
        }
        TPicture picture = Fit(frame, FWidth, FHeight);
        const bool black = IsBlack(picture);
        if (FChosen.Rgb.empty() || !black)
            FChosen = std::move(picture);
        FDone = !black || last;
    }

    AVFormatContext& FFormat;
    AVStream& FStream;
    AVCodecContext& FDecoder;
    int FWidth;
    int FHeight;
    double FPick = 0;
    int FDecoded = 0;
    bool FDone = false;
    TFrame FLatestBefore;
    TPicture FChosen;
};

double PickTime(const AVFormatContext& format, const AVStream& stream)
{
    double seconds = 0;
    if (stream.duration > 0)
        seconds = static_cast<double>(stream.duration) * av_q2d(stream.time_base);
    else if (format.duration > 0)
        seconds = static_cast<double>(format.duration) / AV_TIME_BASE;
    return std::min(seconds / 10, kLatestPick);
}

} // namespace

TPicture GrabFrame(const std::string& path, int width, int height)
{
    av_log_set_level(AV_LOG_QUIET);
    TFormat format = OpenFormat(path);
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (index < 0 || codec == nullptr)
        throw TMediaProblem("cannot be decoded: it has no video that this computer decodes");
    AVStream& stream = *format->streams[index];
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        if (static_cast<int>(i) != index)
            format->streams[i]->discard = AVDISCARD_ALL;
    }
    TDecoder decoder = OpenDecoder(stream, *codec);
    const double pick = PickTime(*format, stream);
    if (pick > 0) {
        // To the key frame before the pick; a failed seek decodes from the start.
        const auto target = static_cast<std::int64_t>(pick / av_q2d(stream.time_base));
        if (av_seek_frame(format.get(), index, target, AVSEEK_FLAG_BACKWARD) >= 0)
            avcodec_flush_buffers(decoder.get());
    }
    return TFrameSearch(*format, stream, *decoder, width, height).Run(pick);
}

} // namespace media
