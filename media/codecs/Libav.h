#pragma once

// FFmpeg's objects held by owners that free them, and the steps every
// reader of pictures shares: opening a file, opening a decoder, fitting
// a picture into a box.

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace media {

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
using TCodec = std::unique_ptr<AVCodecContext, CodecFreer>;
using TFrame = std::unique_ptr<AVFrame, FrameFreer>;
using TPacket = std::unique_ptr<AVPacket, PacketFreer>;
using TScaler = std::unique_ptr<SwsContext, ScalerFreer>;

// FFmpeg's words for an error code.
std::string LibavErrorText(int error);
// Throws TMediaProblem "cannot be decoded: " + what + " (FFmpeg's words)".
[[noreturn]] void ThrowUndecodable(const std::string& what, int error);
// Throws TMediaProblem "cannot be converted: " + what + " (FFmpeg's words)".
[[noreturn]] void ThrowUnconvertible(const std::string& what, int error);

// Opens `path` and reads enough of it to know its streams. Quiet: FFmpeg
// prints nothing. Throws TMediaProblem.
TFormat OpenFormat(const std::string& path);

// A decoder for `stream`, with FFmpeg's choice of threads of `threadType`
// (FF_THREAD_SLICE for one picture, FF_THREAD_FRAME for a whole stream).
TCodec OpenDecoder(const AVStream& stream, const AVCodec& codec, int threadType);

// Hands `packet` (nullptr: the end, which drains) to `decoder` and each
// frame it gives back to `each`. A packet the decoder refuses (damaged
// data) is passed over, as a player would; the frames around it decode.
template <class Each> void DecodePacket(AVCodecContext& decoder, const AVPacket* packet, AVFrame& frame, Each&& each)
{
    (void)avcodec_send_packet(&decoder, packet);
    for (;;) {
        const int received = avcodec_receive_frame(&decoder, &frame);
        if (received < 0)
            return;  // wants the next packet, or has ended
        each(frame);
        av_frame_unref(&frame);
    }
}

// A new frame and a new packet; throw TMediaProblem when memory is out.
TFrame NewFrame();
TPacket NewPacket();

// The even-sized picture a frame of width x height with `pixelAspect`
// shows inside a box of boxWidth x boxHeight, its shape kept. Smaller
// pictures grow to the box only when `enlarge`.
struct TFittedSize {
    int Width = 0;
    int Height = 0;
};
TFittedSize FitInside(int width, int height, AVRational pixelAspect, int boxWidth, int boxHeight, bool enlarge);

} // namespace media
