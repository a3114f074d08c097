#include "transfer/ConversionPlan.h"

#include "media/Conversion.h"
#include "media/HandheldTarget.h"
#include "media/Playability.h"

std::vector<std::size_t> UnplayableItems(const TBatchSnapshot& snapshot)
{
    std::vector<std::size_t> positions;
    for (std::size_t position = 0; position < snapshot.Items.size(); ++position) {
        const TBatchItem& item = snapshot.Items[position];
        const std::string& path = item.Info.FullPath;
        bool plays = false;
        bool readable = true;
        if (item.Verdict && item.Verdict->Known()) {
            plays = item.Verdict->Plays();
            readable = item.Verdict->Readable();
        } else {
            const media::TPlayability verdict = media::CheckPlayability(path);
            plays = verdict.Plays();
            readable = verdict.Readable;
        }
        if (!plays && readable)
            positions.push_back(position);
    }
    return positions;
}

void PlanConversions(TBatchSnapshot& snapshot, const std::vector<std::size_t>& positions)
{
    for (const std::size_t position : positions) {
        TBatchItem& item = snapshot.Items.at(position);
        const std::optional<double> seconds = media::VideoDuration(item.Info.FullPath);
        snapshot.NeededBytes -= item.ArrivingSize();
        item.Convert = true;
        item.ConvertedSize = seconds ? media::MostConvertedBytes(*seconds) : item.Info.Size;
        snapshot.NeededBytes += item.ArrivingSize();
    }
}
