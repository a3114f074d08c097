#include "transfer/AfterBatchText.h"

namespace {

void addParagraph(std::string& text, const std::string& paragraph)
{
    if (!text.empty())
        text += "\n\n";
    text += paragraph;
}

} // namespace

std::string AfterBatchText(const TBatchResult& result)
{
    std::string text;
    if (result.Outcome == TBatchOutcome::Failed && !result.FailureShown)
        addParagraph(text, "The transfer stopped: " + result.FailureText);
    if (!result.Stayed.empty()) {
        std::string stayed = "These files could not be deleted and are still there:";
        for (const std::string& path : result.Stayed)
            stayed += "\n" + path;
        addParagraph(text, stayed);
    }
    if (!result.ThumbnailsLeft.empty()) {
        std::string left = "These thumbnails could not be copied; their videos arrived without them:";
        for (const TLeftBehind& thumbnail : result.ThumbnailsLeft)
            left += "\n" + thumbnail.Path + " (" + thumbnail.Reason + ")";
        addParagraph(text, left);
    }
    return text;
}
