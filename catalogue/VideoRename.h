#pragma once

// Renames a computer video and its thumbnail to a name the user typed.
//
// The video always gets the extension ".MP4" and its thumbnail ".THM"
// (the typed extension, from the last dot of the name on, is replaced).
// Nothing is ever replaced: a name already taken, by the video itself
// too, is refused. A typed name holding '/' or a NUL is refused as a
// failed rename. When the thumbnail cannot follow, the video gets its
// old name back, so the pair always keeps one stem.

#include "catalogue/uClass.h"

#include <string>

enum class TRenameOutcome {
    Renamed,      // the record names the new files
    NameTaken,    // "New file name is exist!"; nothing changed
    Failed,       // "Rename the file is failed!"; nothing changed
    NotRenamed,   // a video without thumbnail whose rename did not happen: said nowhere
    VideoOnly,    // the video has its new name, but its thumbnail could not follow
                  // and the video could not get its old name back; the record
                  // names the new video, without thumbnail
};

// What the window says of a VideoOnly rename: both names.
std::string SplitRenameText(const std::string& renamedVideo, const std::string& thumbnailLeft);

// Renames the files of `record` to `typed` in their folder and updates
// the record (FullPath, NewPath, FileName, ThumbPath) when they moved.
TRenameOutcome RenameVideo(TFileInfo& record, const std::string& typed);
