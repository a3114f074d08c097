#pragma once

// The video record, the object that carries it on a pane row, the
// remembered settings, the folder scanner and the chunked copier.
//
// Strings are UTF-8 throughout; paths are the bytes the file system uses.

#include "catalogue/HandheldFolder.h"
#include "platform/StagedFile.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TScannedFolder;

// One video as the folder scan found it. Copied by value.
struct TFileInfo {
    bool HasTitle = false;       // the title library could open the file
    std::string Title;           // the stored title; empty when !HasTitle
    std::string FileName;        // entry name without folder, case kept
    double Size = 0;             // bytes (the full 64-bit size)
    std::string WriteTime;       // local time, "yyyy/mm/dd,hh:mm:ss"
    std::string FullPath;        // folder with trailing '/' + FileName
    std::string ThumbPath;       // companion .THM, or DefaultThumb
    std::int64_t ThumbSize = 0;  // bytes of the thumbnail; 0 when none
    bool NoThumb = true;         // no companion thumbnail file
    std::string NewPath;         // computer name to prefer on the way back
    // Set on a record of a scan that listed names only (DescribeLater):
    // FileName and FullPath hold, the other fields are read from the file
    // by DescribeListed. Null once the record is described.
    std::shared_ptr<const TScannedFolder> Listing;
};

// Reads the facts of a record that a scan only listed (size, time,
// title, thumbnail) as the scan would have read them, and clears its
// Listing; leaves a described record as it is. A file gone since the
// listing reads as a folder entry would: no size, no time, no title.
void DescribeListed(TFileInfo& record);

// The record as a pane row owns it.
class TFileInfoEx {
public:
    TFileInfoEx() = default;
    explicit TFileInfoEx(TFileInfo info) : FileInfo(std::move(info)) {}

    TFileInfo FileInfo;
};

// The two remembered settings.
struct TSaveInfo {
    std::string PCDir;     // the computer folder in the path box
    std::string PSPDrive;  // the handheld drive's mount point
};

// Formats a modification time as local "yyyy/mm/dd,hh:mm:ss".
std::string FileTimeToDateTime(std::time_t modified);

// The size in bytes of a file, from stat(); -1 when it cannot be read.
std::int64_t FileSizeOf(const std::string& path);

// Lists the videos of one folder.
class TListFiles {
public:
    // Called once for each video found. The record is the scanner's own
    // working record, refilled for the next entry: copy what you keep.
    std::function<void(const TFileInfo&)> OnFile;
    // One turn of the message loop, taken once before the listing starts.
    std::function<void()> OnIdle;

    std::string VideoExt = kVideoExtension;      // upper case
    std::string ThumbExt = kThumbnailExtension;
    std::string DefaultThumb;  // ThumbPath of a video without thumbnail
    // List names only: each record holds FileName, FullPath and a Listing
    // to describe it from when it is needed (DescribeListed), so a scan
    // costs the folder listing alone, whatever the number of videos.
    bool DescribeLater = false;

    // Scans `folder`, calls OnFile for every video and returns their
    // count. With trackHighest, `highest` is set to the largest handheld
    // video number among the names (0 when none); otherwise untouched.
    int ScanFolder(const std::string& folder, int& highest, bool trackHighest);

    // The record the scan would make for the regular file at `path`, its
    // thumbnail found beside it as the scan finds it. nullopt when `path`
    // is not a regular file.
    std::optional<TFileInfo> DescribeFile(const std::string& path) const;

    // Starts reading the entries of `folder` on a thread of its own (where
    // one can be had); the next ScanFolder of that folder takes them
    // instead of reading the folder then. For a caller that knows which
    // folders it is about to load while it has other work to do first.
    // DropListedAhead lets go of what was not taken, waiting for a read
    // still under way, so no listing serves a later scan.
    void ListAhead(const std::string& folder);
    void DropListedAhead() { FListedAhead.clear(); }

private:
    using TEntries = std::optional<std::vector<std::string>>;
    // The entries of `base` (with '/'): those read ahead, else read now.
    TEntries Entries(const std::string& base);

    std::map<std::string, std::future<TEntries>> FListedAhead;
};

// How one copy ended: done, stopped by the caller, or failed on one file.
enum class TCopyStatus { Done, Stopped, Failed };

struct TCopyResult {
    TCopyStatus Status = TCopyStatus::Done;
    int Error = 0;        // errno of the step that failed; 0 otherwise
    std::string Path;     // the file a failure is about
    std::string Text;     // what failed, naming the file
    bool Shown = false;   // ShowError told the user already
    bool Ok() const { return Status == TCopyStatus::Done; }
};

// A copy whose bytes are all written: the file is staged in Dest's
// folder, not yet flushed nor named. Dropping it removes the file.
struct TWrittenCopy {
    platform::StagedFile File;
    std::string Dest;
    bool Replace = false;
    std::vector<std::string> MadeFolders;

    // Flushes the file, names it Dest (replacing a file there only with
    // Replace), flushes its folder and the folders made for it, and lets
    // go of it: it stays. 0, or the errno of the step that failed (the
    // file is then removed when this is dropped). Touches nothing but the
    // file and those folders, so it may run on a thread of its own.
    [[nodiscard]] int Commit();
};

// Copies one file, reporting its progress in 100-byte chunks (the bytes
// themselves move in large blocks).
class TCopyFile {
public:
    // After every written chunk: its byte count (1..100), the source path.
    std::function<void(int Count, const std::string& FileName)> OnProgress;
    // One turn of the message loop, after every written chunk.
    std::function<void()> OnTurn;
    // Shows an error message box; replaceable so tests can answer it.
    std::function<void(const std::string& text)> ShowError;
    // Asked after every turn: true stops the copy at once. The partial
    // Dest is deleted and no error is shown (the user asked for it).
    std::function<bool()> ShouldStop;
    // Create Dest only when nothing is there yet (a transfer never
    // replaces a file); otherwise an existing file is replaced.
    bool KeepExisting = false;
    // The mount point of the drive Dest must be on (a handheld's); empty
    // when Dest may be anywhere. While that drive is not mounted, Execute
    // creates and writes nothing: its mount-point folder then belongs to
    // the computer's own disk.
    std::string DestMountPoint;

    // Copies Source to Dest, creating Dest's folder chain and replacing a
    // file already at Dest. True only when the whole source reached the
    // medium (file and folder flushed).
    //
    // The bytes go to a temporary name in Dest's folder, which becomes
    // Dest only once they are flushed: a copy killed part-way leaves no
    // file under Dest, only a staged file that the next transfer into the
    // folder removes. Folders made for Dest are flushed with their parents.
    //
    // Source or Dest that cannot be opened (or name the same file), or
    // Dest off the mounted DestMountPoint: false, nothing shown, Dest
    // untouched and no folder made. A read, write or flush error, a full
    // medium, or an exception from OnProgress or OnTurn: the partial Dest
    // is deleted, ShowError gets "Read/Write file fail!" once, false.
    // Stopped by ShouldStop: the partial Dest is deleted, false, no box.
    // After a false result FailureText says what failed, naming the file.
    [[nodiscard]] bool Execute(const std::string& Source, const std::string& Dest);
    // The same copy, telling how it ended.
    [[nodiscard]] TCopyResult Run(const std::string& Source, const std::string& Dest);
    // The copy of Run but its last step: every chunk written and
    // reported, the file left staged in `written` for the caller to
    // commit (TWrittenCopy::Commit), which it may do while it goes on
    // with other work; the flush then costs the caller no wait. Failures
    // and stops as Run's; `written` is set only when Done.
    [[nodiscard]] TCopyResult Write(const std::string& Source, const std::string& Dest,
                                    std::optional<TWrittenCopy>& written);
    // What Run would have reported had the commit of the copy to Dest
    // failed with `error`: a write failure naming Dest, ShowError told
    // unless `tell` is false.
    [[nodiscard]] TCopyResult CommitFailure(const std::string& Dest, int error, bool tell = true) const;

    std::string FailureText;

private:
    // Run, or Write when `written` is given.
    TCopyResult Copy(const std::string& Source, const std::string& Dest, std::optional<TWrittenCopy>* written);
};
