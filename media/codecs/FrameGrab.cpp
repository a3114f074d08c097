#include "media/codecs/FrameGrab.h"

#include "media/codecs/Libav.h"
#include "media/MediaProblem.h"

#include <memory>

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

TPicture Fit(const AVFrame& frame, int width, int height)
{
    const TFittedSize fitted = FitInside(frame.width, frame.height, frame.sample_aspect_ratio, width, height, true);
    const int fittedWidth = fitted.Width;
    const int fittedHeight = fitted.Height;
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
        TPacket packet = NewPacket();
        TFrame frame = NewFrame();
        FLatestBefore = NewFrame();
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
    // One picture is wanted: frame threads would only delay it.
    TCodec decoder = OpenDecoder(stream, *codec, FF_THREAD_SLICE);
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
