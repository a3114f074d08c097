#pragma once

// The program's binding of the title library: one process-wide handle,
// the read flow of the folder scan and the write flow of title editing.
// Titles are UTF-8 here and UTF-16 at the library's boundary.

#include <optional>
#include <string>

namespace PSPTitle {

// Creates the process-wide handle; once, when the main window is created.
void CreateLibrary();
// Destroys it; the last step of closing the main window.
void DestroyLibrary();

// The title stored in the video at `path` (possibly empty), or nullopt
// when the library cannot open it as a well-formed video.
std::optional<std::string> ReadTitle(const std::string& path);
// The same, and on failure `errorText` receives the library's one-line
// text naming the file (the folder scan does not ask for it; scripts do).
std::optional<std::string> ReadTitle(const std::string& path, std::string& errorText);

struct SaveResult {
    // Refused: the title is not valid UTF-8 or holds a NUL; the file was
    // not touched.
    enum class Status { Saved, Refused, OpenFailed, SaveFailed };
    Status status = Status::Saved;
    std::string errorText;  // the library's one-line text naming the file
    bool ok() const { return status == Status::Saved; }
};

// Stores `title` (UTF-8) in the video at `path`.
[[nodiscard]] SaveResult WriteTitle(const std::string& path, const std::string& title);

} // namespace PSPTitle
