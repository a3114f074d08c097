#pragma once

// Scratch folders and FFmpeg-made media for the benchmark programs.

#include <chrono>
#include <string>
#include <vector>

// A fresh folder under `parent` (or $TMPDIR, /tmp), removed at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& parent = "");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return FPath; }  // with trailing '/'

private:
    std::string FPath;
};

// Runs ffmpeg with `arguments` writing `path`; throws when it fails.
void MakeWithFfmpeg(const std::string& arguments, const std::string& path);

// Seconds of one call of `work`.
template <class Work>
double TimeSeconds(Work&& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values);
