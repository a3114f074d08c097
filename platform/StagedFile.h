#pragma once

// A new file written under a temporary name in its destination folder and
// given its real name only once it is whole and on the medium, so that no
// kill, crash or power cut leaves a cut-off file under a real name.
//
// The folder is opened once, at the start, and every later step (the
// rename, the flush of the folder, the clean-up) goes through that
// descriptor: should the medium be unmounted lazily meanwhile, the folder
// path names an empty mount point, but the descriptor still names the
// folder on the medium, so a clean-up can neither miss the partial file
// nor hit another file system.
//
// While it is written the file holds an advisory lock, so that a clean-up
// of abandoned staged files run by another process leaves it alone.

#include "platform/FileSystem.h"

#include <string>
#include <string_view>

namespace platform {

struct StagedResult;

// True for the temporary names staged files carry: never a video's or a
// thumbnail's name, never listed, never handed out.
bool IsStagedName(std::string_view name);

class StagedFile {
public:
    StagedFile() = default;
    // Removes the file (under whichever name it has) unless Finish()
    // succeeded, and only when that entry is still the file made here.
    ~StagedFile();
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&&) = delete;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool IsOpen() const { return FFile.IsOpen(); }
    // The open file, for writing.
    int Descriptor() const { return FFile.Get(); }
    // Its entry name in the folder (the temporary one until committed).
    const std::string& Name() const { return FName; }

    // Flushes the file, gives it `name` in its folder (never replacing a
    // file unless `replace`), and flushes the folder. 0, or the errno of
    // the step that failed; the file is then still removed at the end.
    [[nodiscard]] int Commit(const std::string& name, bool replace);
    // Closes the committed file for good: it stays. 0, or the errno of a
    // close that failed (the file is then removed).
    [[nodiscard]] int Finish();

private:
    friend StagedResult CreateStaged(const std::string& folder);
    void RemoveOwnEntry();

    FileDescriptor FFolder;
    FileDescriptor FFile;
    std::string FName;
    FileStatus FIdentity;
    bool FKept = false;
};

struct StagedResult {
    StagedFile File;
    int Error = 0;
};

// Creates a staged file in the existing `folder`.
[[nodiscard]] StagedResult CreateStaged(const std::string& folder);

// Removes the staged files of `folder` that no running copy holds: the
// leftovers of copies that were killed. The count removed.
int RemoveAbandonedStagedFiles(const std::string& folder);

} // namespace platform
