// The conversion's entry points, which hand the work to the codec plugin.

#include "media/Conversion.h"

#include "media/CodecTable.h"

namespace media {

TConversionResult ConvertForHandheld(const std::string& source, const std::string& target, const std::string& title,
                                     const TConversionHooks& hooks)
{
    std::string problem;
    const TCodecTable* codecs = CodecTable(problem);
    if (codecs == nullptr)
        return {TConversionStatus::Failed, source + ": cannot be converted: " + problem, source, 0};
    return codecs->Convert(source, target, title, hooks);
}

std::optional<double> VideoDuration(const std::string& path)
{
    std::string problem;
    const TCodecTable* codecs = CodecTable(problem);
    return codecs != nullptr ? codecs->VideoDuration(path) : std::nullopt;
}

} // namespace media
