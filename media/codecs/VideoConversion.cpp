#include "media/codecs/VideoConversion.h"

#include "media/HandheldTarget.h"

#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/opt.h>
}

namespace media {

namespace {

// The source's rate where it is at most 29.97; 29.97 for 30 (one picture
// in a thousand dropped, where halving would judder); half of a double
// rate (50 and 59.94 become 25 and 29.97); else 29.97.
AVRational ConvertedRate(AVRational source)
{
    const AVRational most{kTargetRateNumerator, kTargetRateDenominator};
    if (source.num <= 0 || source.den <= 0)
        return most;
    const double limit = av_q2d(most) + kFrameRateSlack;
    const double rate = av_q2d(source);
    if (rate <= limit)
        return source;
    if (rate <= 30.0 + kFrameRateSlack)
        return most;
    const AVRational half = av_mul_q(source, AVRational{1, 2});
    return av_q2d(half) <= limit ? half : most;
}

TCodec OpenEncoder(AVRational rate, bool globalHeader)
{
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (codec == nullptr)
        throw TMediaProblem("cannot be converted: this computer's FFmpeg has no H.264 encoder (libx264)");
    TCodec encoder(avcodec_alloc_context3(codec));
    if (!encoder)
        throw TMediaProblem("out of memory");
    encoder->width = kTargetWidth;
    encoder->height = kTargetHeight;
    encoder->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder->sample_aspect_ratio = AVRational{1, 1};
    encoder->framerate = rate;
    encoder->time_base = av_inv_q(rate);
    encoder->level = kTargetLevel;
    encoder->max_b_frames = kTargetBFrames;
    encoder->rc_max_rate = kTargetVideoMaxRate;
    encoder->rc_buffer_size = kTargetVideoBuffer;
    encoder->thread_count = 0;
    if (globalHeader)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(encoder->priv_data, "preset", kTargetPreset, 0);
    av_opt_set(encoder->priv_data, "profile", "main", 0);
    av_opt_set_double(encoder->priv_data, "crf", kTargetQuality, 0);
    if (const int error = avcodec_open2(encoder.get(), codec, nullptr); error < 0)
        ThrowUnconvertible("the H.264 encoder does not open", error);
    return encoder;
}

// Black in limited-range YUV: the bars around a picture of another shape.
void PaintBlack(AVFrame& picture)
{
    std::memset(picture.data[0], 16, static_cast<std::size_t>(picture.linesize[0]) * picture.height);
    std::memset(picture.data[1], 128, static_cast<std::size_t>(picture.linesize[1]) * picture.height / 2);
    std::memset(picture.data[2], 128, static_cast<std::size_t>(picture.linesize[2]) * picture.height / 2);
}

} // namespace

TVideoConversion::TVideoConversion(const AVStream& source, const AVCodec& decoder, TMuxer& muxer, double origin)
    : FSourceIndex(source.index), FSourceBase(source.time_base), FOrigin(origin), FMuxer(muxer),
      FStream(muxer.AddStream())
{
    // A whole stream is wanted: frame threads decode fastest.
    FDecoder = OpenDecoder(source, decoder, FF_THREAD_FRAME);
    FRate = ConvertedRate(source.avg_frame_rate.num > 0 ? source.avg_frame_rate : source.r_frame_rate);
    FEncoder = OpenEncoder(FRate, (muxer.Output().oformat->flags & AVFMT_GLOBALHEADER) != 0);
    FStream.time_base = FEncoder->time_base;
    FStream.avg_frame_rate = FRate;
    if (const int error = avcodec_parameters_from_context(FStream.codecpar, FEncoder.get()); error < 0)
        ThrowUnconvertible("the video stream cannot be set up", error);

    FPicture->format = AV_PIX_FMT_YUV420P;
    FPicture->width = kTargetWidth;
    FPicture->height = kTargetHeight;
    if (const int error = av_frame_get_buffer(FPicture.get(), 0); error < 0)
        ThrowUnconvertible("no memory for a picture", error);
}

void TVideoConversion::Feed(const AVPacket* packet)
{
    DecodePacket(*FDecoder, packet, *FDecoded, [this](const AVFrame& decoded) { Convert(decoded); });
    if (packet == nullptr)
        Encode(nullptr);
}

void TVideoConversion::Convert(const AVFrame& decoded)
{
    const std::int64_t stamp = decoded.best_effort_timestamp;
    if (stamp != AV_NOPTS_VALUE) {
        const double seconds = static_cast<double>(stamp) * av_q2d(FSourceBase) - FOrigin;
        const auto slot = static_cast<std::int64_t>(std::llround(seconds * av_q2d(FRate)));
        if (slot < FNextSlot)
            return;
        FNextSlot = slot;
    }
    const TFittedSize fitted =
        FitInside(decoded.width, decoded.height, decoded.sample_aspect_ratio, kTargetWidth, kTargetHeight, false);
    FScaler.reset(sws_getCachedContext(FScaler.release(), decoded.width, decoded.height,
                                       static_cast<AVPixelFormat>(decoded.format), fitted.Width, fitted.Height,
                                       AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!FScaler)
        throw TMediaProblem("cannot be converted: its pictures cannot be scaled");
    // The encoder may still hold the last picture: a fresh buffer then.
    if (const int error = av_frame_make_writable(FPicture.get()); error < 0)
        ThrowUnconvertible("no memory for a picture", error);
    PaintBlack(*FPicture);
    const int left = ((kTargetWidth - fitted.Width) / 2) & ~1;
    const int top = ((kTargetHeight - fitted.Height) / 2) & ~1;
    std::uint8_t* planes[4] = {FPicture->data[0] + top * FPicture->linesize[0] + left,
                               FPicture->data[1] + top / 2 * FPicture->linesize[1] + left / 2,
                               FPicture->data[2] + top / 2 * FPicture->linesize[2] + left / 2, nullptr};
    const int strides[4] = {FPicture->linesize[0], FPicture->linesize[1], FPicture->linesize[2], 0};
    sws_scale(FScaler.get(), decoded.data, decoded.linesize, 0, decoded.height, planes, strides);
    FPicture->pts = FNextSlot++;
    Encode(FPicture.get());
}

void TVideoConversion::Encode(const AVFrame* picture)
{
    FMuxer.Encode(*FEncoder, picture, *FEncoded, FStream, "H.264");
}

} // namespace media
