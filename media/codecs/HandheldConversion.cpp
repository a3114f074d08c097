#include "media/codecs/HandheldConversion.h"

#include "media/codecs/AudioConversion.h"
#include "media/codecs/DescriptorOutput.h"
#include "media/codecs/Libav.h"
#include "media/MediaProblem.h"
#include "media/codecs/Muxer.h"
#include "media/codecs/VideoConversion.h"
#include "platform/FileSystem.h"
#include "platform/StagedFile.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace media {

namespace {

struct OutputFreer {
    void operator()(AVFormatContext* context) const { avformat_free_context(context); }
};
using TOutput = std::unique_ptr<AVFormatContext, OutputFreer>;

// The first stream of `type` that this computer decodes, or -1.
int DecodableStream(AVFormatContext& input, AVMediaType type, const AVCodec*& decoder)
{
    decoder = nullptr;
    const int index = av_find_best_stream(&input, type, -1, -1, &decoder, 0);
    return index >= 0 && decoder != nullptr ? index : -1;
}

class TConversionRun {
public:
    TConversionRun(const std::string& source, const std::string& target, const TConversionHooks& hooks)
        : FSource(source), FTarget(target), FHooks(hooks)
    {
    }

    TConversionResult Run(const std::string& title)
    {
        try {
            Convert(title);
            return FResult;
        } catch (const TMediaProblem& problem) {
            if (FOutput && FOutput->Error() != 0)
                return WriteFailed(FOutput->Error());
            return Failed(FSource + ": " + problem.what(), FSource, 0);
        }
    }

private:
    void Convert(const std::string& title)
    {
        TFormat input = OpenFormat(FSource);
        const AVCodec* videoDecoder = nullptr;
        const AVCodec* audioDecoder = nullptr;
        const int video = DecodableStream(*input, AVMEDIA_TYPE_VIDEO, videoDecoder);
        const int audio = DecodableStream(*input, AVMEDIA_TYPE_AUDIO, audioDecoder);
        if (video < 0 && audio < 0)
            throw TMediaProblem("cannot be converted: it has no pictures or sound that this computer decodes");

        // The handheld's video folder is made when missing, as a copy makes
        // it, and the folders made are flushed with the video.
        const std::string folder = platform::FolderOf(FTarget);
        std::vector<std::string> madeFolders;
        if (!platform::IsDirectory(folder))
            (void)platform::MakeDirectories(folder, &madeFolders);  // a failure shows at the create
        platform::StagedResult staged = platform::CreateStaged(folder);
        if (!staged.File.IsOpen()) {
            FResult = WriteFailed(staged.Error);
            return;
        }
        FOutput.emplace(staged.File.Descriptor());
        // The handheld's own layout holds one picture and one sound stream,
        // no fewer; a source with only one of them gets plain MP4, whose
        // standard title tag the handheld's title reader falls back on.
        const char* layout = video >= 0 && audio >= 0 ? "psp" : "mp4";
        AVFormatContext* made = nullptr;
        if (const int error = avformat_alloc_output_context2(&made, nullptr, layout, nullptr); error < 0)
            ThrowUnconvertible("this computer's FFmpeg has no " + std::string(layout) + " muxer", error);
        const TOutput output(made);
        output->pb = FOutput->Context();
        output->flags |= AVFMT_FLAG_CUSTOM_IO;
        av_dict_set(&output->metadata, "title", title.c_str(), 0);

        TMuxer muxer(*output);
        const double origin = input->start_time != AV_NOPTS_VALUE ? static_cast<double>(input->start_time) / AV_TIME_BASE : 0;
        std::optional<TVideoConversion> pictures;
        std::optional<TAudioConversion> sound;
        if (video >= 0)
            pictures.emplace(*input->streams[video], *videoDecoder, muxer, origin);
        if (audio >= 0)
            sound.emplace(*input->streams[audio], *audioDecoder, muxer);
        for (unsigned i = 0; i < input->nb_streams; ++i) {
            if (static_cast<int>(i) != video && static_cast<int>(i) != audio)
                input->streams[i]->discard = AVDISCARD_ALL;
        }
        if (const int error = avformat_write_header(output.get(), nullptr); error < 0)
            ThrowUnconvertible("the converted video cannot be started", error);

        const double duration = input->duration > 0 ? static_cast<double>(input->duration) / AV_TIME_BASE : 0;
        TPacket packet = NewPacket();
        double reached = 0;
        while (av_read_frame(input.get(), packet.get()) >= 0) {
            if (FHooks.ShouldStop && FHooks.ShouldStop()) {
                FResult.Status = TConversionStatus::Stopped;
                return;  // the staged file goes with `staged`
            }
            const AVStream& stream = *input->streams[packet->stream_index];
            // Packets come interleaved and reordered: the share reported
            // is the furthest reached.
            if (FHooks.Progress && duration > 0 && packet->pts != AV_NOPTS_VALUE) {
                const double at = static_cast<double>(packet->pts) * av_q2d(stream.time_base) - origin;
                const double share = std::clamp(at / duration, 0.0, 1.0);
                if (share > reached) {
                    reached = share;
                    FHooks.Progress(share);
                }
            }
            if (pictures && packet->stream_index == pictures->SourceIndex())
                pictures->Feed(packet.get());
            else if (sound && packet->stream_index == sound->SourceIndex())
                sound->Feed(packet.get());
            av_packet_unref(packet.get());
        }
        if (pictures)
            pictures->Feed(nullptr);
        if (sound)
            sound->Feed(nullptr);
        if (const int error = av_write_trailer(output.get()); error < 0)
            ThrowUnconvertible("the converted video cannot be finished", error);
        avio_flush(output->pb);
        if (FOutput->Error() != 0) {
            FResult = WriteFailed(FOutput->Error());
            return;
        }
        int error = staged.File.Commit(platform::NameOf(FTarget), false);
        if (error == 0)
            error = platform::SyncMadeFolders(madeFolders);
        if (error == 0)
            error = staged.File.Finish();
        if (error != 0) {
            FResult = WriteFailed(error);
            return;
        }
        if (FHooks.Progress)
            FHooks.Progress(1.0);
    }

    TConversionResult WriteFailed(int error) const
    {
        return Failed("cannot write " + FTarget + ": " + platform::ErrorText(error), FTarget, error);
    }

    static TConversionResult Failed(std::string problem, std::string path, int error)
    {
        return {TConversionStatus::Failed, std::move(problem), std::move(path), error};
    }

    const std::string& FSource;
    const std::string& FTarget;
    const TConversionHooks& FHooks;
    // Declared before the muxer context that writes through it.
    std::optional<TDescriptorOutput> FOutput;
    TConversionResult FResult;
};

} // namespace

TConversionResult ConvertWithLibav(const std::string& source, const std::string& target, const std::string& title,
                                   const TConversionHooks& hooks)
{
    if (platform::Exists(target))
        return {TConversionStatus::Failed, "cannot write " + target + ": " + platform::ErrorText(EEXIST), target, EEXIST};
    return TConversionRun(source, target, hooks).Run(title);
}

std::optional<double> VideoDurationWithLibav(const std::string& path)
{
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0)
        return std::nullopt;
    const TFormat format(opened);
    // Most containers say in their headers; the rest are read for it.
    if (format->duration <= 0 && avformat_find_stream_info(format.get(), nullptr) < 0)
        return std::nullopt;
    if (format->duration <= 0)
        return std::nullopt;
    return static_cast<double>(format->duration) / AV_TIME_BASE;
}

} // namespace media
