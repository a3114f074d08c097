#pragma once

// Real folders and real media for the catalogue tests: a temporary
// folder per test, and handheld videos and thumbnails made by FFmpeg once
// per test program.

#include "tests/common/TempFolder.h"

#include <cstdint>
#include <string>

void WriteFile(const std::string& path, const std::string& bytes);
// True when anything is at `path` (a dangling link too).
bool Exists(const std::string& path);
std::string ReadFile(const std::string& path);
// `size` bytes whose value depends on their position, so shifted or
// repeated blocks do not compare equal.
std::string PatternBytes(std::size_t size);
// Sets a file's modification time (seconds since the epoch, UTC).
void SetModified(const std::string& path, std::int64_t seconds);

// A handheld video made by FFmpeg with the stored title "T" (made once per
// test program; copy it where it is needed).
const std::string& HandheldVideo();
// A 160 x 120 JPEG thumbnail made by FFmpeg (once per test program).
const std::string& ThumbnailPicture();

// Copies a file's bytes to `to`.
void CopyBytes(const std::string& from, const std::string& to);

// A small tmpfs mounted on `folder` (created when missing) for one test:
// a medium that really fills up, or that refuses every change once made
// read-only, even to root. Mounting needs root with mount rights; where
// it cannot be had, Mounted() is false and Problem() says why.
class ScratchMedium {
public:
    explicit ScratchMedium(std::string folder, const std::string& size = "64k");
    ~ScratchMedium();
    ScratchMedium(const ScratchMedium&) = delete;
    ScratchMedium& operator=(const ScratchMedium&) = delete;

    bool Mounted() const { return FMounted; }
    const std::string& Problem() const { return FProblem; }
    const std::string& Path() const { return FFolder; }
    // Remounts read-only: unlink, create and write fail with EROFS.
    bool MakeReadOnly();

private:
    std::string FFolder;
    bool FMounted = false;
    std::string FProblem;
};

// One run of build/vantrel-tool, as a script runs it.
struct ToolRun {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

// Runs vantrel-tool with `arguments` (shell words, quoted where needed),
// its outputs kept in files of `scratch`; `wrapper` (shell words) runs it
// when given, as `strace ...` does.
ToolRun RunTool(const TempFolder& scratch, const std::string& arguments, const std::string& wrapper = {});

// `text` as one shell word.
std::string ShellQuoted(const std::string& text);
