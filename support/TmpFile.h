#pragma once

// Unique temporary file names: "tmp" + eight hexadecimal digits + ".tmp"
// in a folder, made by creating the file exclusively, so a name handed out
// never belongs to a file someone else made.

#include <cstddef>
#include <string>

// The system's temporary folder: $TMPDIR when set and not empty, else
// /tmp; with a trailing '/'.
std::string SystemTempFolder();

// Creates a new empty file "<folder>tmpXXXXXXXX.tmp" (`folder` ends with
// '/') with O_EXCL and O_NOFOLLOW, mode 0600, and writes its path into
// `path`. Returns the open descriptor, or -1 with `path` set to "" when
// no name could be made (folder missing or unwritable, path too long).
//
// Safe in a signal handler: no allocation, only system calls.
int CreateUniqueTmpFile(const char* folder, char* path, std::size_t capacity);

// A unique file name in a folder, for a file the caller creates itself;
// the file at Path is deleted when the object goes, unless AutoDelete was
// cleared.
class TTmpFile {
public:
    // `folder` empty: the system's temporary folder. `extension` not
    // empty: Path gets "." + extension after the ".tmp" name, and no file
    // of that name exists until the caller creates one. When no unique
    // name can be made, Path is empty and names no file at all.
    TTmpFile(const std::string& folder, const std::string& extension);
    ~TTmpFile();
    TTmpFile(const TTmpFile&) = delete;
    TTmpFile& operator=(const TTmpFile&) = delete;

    std::string Folder;
    std::string Path;
    bool AutoDelete = true;
};
