#pragma once

// Whether the handheld plays a video, and if not, why: each reason names
// the value the file has and the limit the handheld sets ("video is H.264
// High profile; the handheld plays Baseline and Main"). Decided from the
// headers alone (see Mp4Headers.h), so a check costs about a title read.

#include "media/Mp4Headers.h"

#include <string>
#include <vector>

namespace media {

struct TPlayability {
    // Empty when the video plays. A file that cannot be read or is
    // damaged has one reason saying so.
    std::vector<std::string> Reasons;
    // The file reads as a video of a kind the check knows; false when it
    // cannot be read, is damaged, or is of no known kind (its one reason
    // says which): a conversion has little to start from.
    bool Readable = true;

    bool Plays() const { return Reasons.empty(); }
    // The reasons joined with "; ".
    std::string ReasonText() const;
};

// The rules applied to headers already read.
TPlayability JudgeHeaders(const TMovieHeaders& headers);

// Reads the headers of the file at `path` and judges them. Never throws
// for a bad file: its reason says what is wrong with it.
TPlayability CheckPlayability(const std::string& path);

} // namespace media
