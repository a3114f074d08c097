#pragma once

// Which videos of a folder show which thumbnail. `a.mp4` and `a.MP4`
// share a stem, so both resolve to `a.THM`: deleting that thumbnail with
// one of them (a move, a deletion, a rename carrying it off) would take
// the other's picture. A batch asks here before a thumbnail goes, and
// tells when a video has gone, so the last video of a stem takes its
// thumbnail with it.
//
// Paths are spelled as the scan spells them: the folder with its
// trailing '/', then the entry name. Each folder is listed once, when it is first asked about; a batch of
// thousands of videos costs one listing per folder, not one per video.

#include <map>
#include <set>
#include <string>

class TThumbnailUsers {
public:
    // True when a video of `videoPath`'s folder other than that one
    // resolves to `thumbPath` (as the scan finds thumbnails).
    bool UsedByOthers(const std::string& videoPath, const std::string& thumbPath);
    // The video at `videoPath` is gone (deleted, moved or renamed away).
    void Gone(const std::string& videoPath);
    // The video now at `videoPath` shows `thumbPath`.
    void Added(const std::string& videoPath, const std::string& thumbPath);

private:
    struct TFolder {
        std::map<std::string, std::set<std::string>> UsersByThumb;  // thumbnail path -> video paths
        std::map<std::string, std::string> ThumbByVideo;
    };
    TFolder& FolderOf(const std::string& videoPath);

    std::map<std::string, TFolder> FFolders;
};
