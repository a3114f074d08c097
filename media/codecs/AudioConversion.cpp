#include "media/codecs/AudioConversion.h"

#include "media/HandheldTarget.h"

#include <vector>

namespace media {

namespace {

TCodec OpenEncoder(bool globalHeader)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (codec == nullptr)
        throw TMediaProblem("cannot be converted: this computer's FFmpeg has no AAC encoder");
    TCodec encoder(avcodec_alloc_context3(codec));
    if (!encoder)
        throw TMediaProblem("out of memory");
    encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder->sample_rate = kTargetSampleRate;
    av_channel_layout_default(&encoder->ch_layout, kTargetChannels);
    encoder->bit_rate = kTargetAudioRate;
    encoder->profile = FF_PROFILE_AAC_LOW;
    encoder->time_base = AVRational{1, kTargetSampleRate};
    if (globalHeader)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (const int error = avcodec_open2(encoder.get(), codec, nullptr); error < 0)
        ThrowUnconvertible("the AAC encoder does not open", error);
    return encoder;
}

} // namespace

TAudioConversion::TAudioConversion(const AVStream& source, const AVCodec& decoder, TMuxer& muxer)
    : FSourceIndex(source.index), FMuxer(muxer), FStream(muxer.AddStream())
{
    FDecoder = OpenDecoder(source, decoder, FF_THREAD_FRAME);
    FEncoder = OpenEncoder((muxer.Output().oformat->flags & AVFMT_GLOBALHEADER) != 0);
    FStream.time_base = FEncoder->time_base;
    if (const int error = avcodec_parameters_from_context(FStream.codecpar, FEncoder.get()); error < 0)
        ThrowUnconvertible("the sound stream cannot be set up", error);
    FQueue.reset(av_audio_fifo_alloc(FEncoder->sample_fmt, kTargetChannels, 4096));
    if (!FQueue)
        throw TMediaProblem("out of memory");
}

void TAudioConversion::Feed(const AVPacket* packet)
{
    DecodePacket(*FDecoder, packet, *FDecoded, [this](const AVFrame& decoded) {
        Resample(&decoded);
        EncodeQueued(false);
    });
    if (packet != nullptr)
        return;
    if (FResampler)
        Resample(nullptr);
    EncodeQueued(true);
    Encode(nullptr);
}

void TAudioConversion::Resample(const AVFrame* decoded)
{
    if (!FResampler) {
        if (decoded == nullptr)
            return;
        AVChannelLayout layout{};
        if (decoded->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&layout, decoded->ch_layout.nb_channels);
        else if (const int error = av_channel_layout_copy(&layout, &decoded->ch_layout); error < 0)
            ThrowUnconvertible("its sound's channels are not valid", error);
        SwrContext* made = nullptr;
        const int error = swr_alloc_set_opts2(&made, &FEncoder->ch_layout, FEncoder->sample_fmt, kTargetSampleRate,
                                              &layout, static_cast<AVSampleFormat>(decoded->format),
                                              decoded->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&layout);
        FResampler.reset(made);
        if (error < 0 || swr_init(FResampler.get()) < 0)
            ThrowUnconvertible("its sound cannot be resampled", error < 0 ? error : AVERROR(EINVAL));
    }
    const int inSamples = decoded != nullptr ? decoded->nb_samples : 0;
    const int room = swr_get_out_samples(FResampler.get(), inSamples);
    if (room <= 0)
        return;
    std::vector<std::uint8_t*> planes(kTargetChannels);
    if (const int error = av_samples_alloc(planes.data(), nullptr, kTargetChannels, room, FEncoder->sample_fmt, 0);
        error < 0)
        ThrowUnconvertible("no memory for sound", error);
    const int made = swr_convert(FResampler.get(), planes.data(), room,
                                 decoded != nullptr ? const_cast<const std::uint8_t**>(decoded->extended_data) : nullptr,
                                 inSamples);
    const int queued = made > 0 ? av_audio_fifo_write(FQueue.get(), reinterpret_cast<void**>(planes.data()), made) : 0;
    av_freep(&planes[0]);
    if (made < 0)
        ThrowUnconvertible("its sound cannot be resampled", made);
    if (queued < made)
        throw TMediaProblem("out of memory");
}

void TAudioConversion::EncodeQueued(bool all)
{
    const int frameSize = FEncoder->frame_size > 0 ? FEncoder->frame_size : 1024;
    while (av_audio_fifo_size(FQueue.get()) >= frameSize || (all && av_audio_fifo_size(FQueue.get()) > 0)) {
        const int samples = std::min(frameSize, av_audio_fifo_size(FQueue.get()));
        av_frame_unref(FFrame.get());
        FFrame->nb_samples = samples;
        FFrame->format = FEncoder->sample_fmt;
        FFrame->sample_rate = kTargetSampleRate;
        if (const int error = av_channel_layout_copy(&FFrame->ch_layout, &FEncoder->ch_layout); error < 0)
            ThrowUnconvertible("no memory for sound", error);
        if (const int error = av_frame_get_buffer(FFrame.get(), 0); error < 0)
            ThrowUnconvertible("no memory for sound", error);
        av_audio_fifo_read(FQueue.get(), reinterpret_cast<void**>(FFrame->data), samples);
        FFrame->pts = FSamplesOut;
        FSamplesOut += samples;
        Encode(FFrame.get());
    }
}

void TAudioConversion::Encode(const AVFrame* frame)
{
    FMuxer.Encode(*FEncoder, frame, *FEncoded, FStream, "AAC");
}

} // namespace media
