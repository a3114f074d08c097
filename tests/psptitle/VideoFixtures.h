#pragma once

// Helpers for the title library's tests: temporary folders, FFmpeg-made
// videos, the tools that check them, and a minimal top-level box walker
// that is independent of the library under test.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fixtures {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// A folder of its own under $TMPDIR (or /tmp), removed with everything in
// it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    [[nodiscard]] const fs::path& path() const { return path_; }
    [[nodiscard]] fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

struct ProgramRun {
    int exitCode = -1;
    std::string output;   // standard output
    std::string errors;   // standard error
};

// Runs a program with these arguments (no shell) and collects its output.
ProgramRun run(const std::vector<std::string>& arguments);

// What a forked process left: how it ended (as waitpid tells it) and the
// text its work returned.
struct ChildRun {
    int status = 0;
    std::string text;
};

// Runs `work` in a forked copy of this process, which ends right after it
// without running anything of the test program's own.
ChildRun runInChild(const std::function<std::string()>& work);

// How a test video is made.
struct VideoRecipe {
    std::string format = "psp";              // -f psp, mp4 or mov
    std::optional<std::string> title;        // -metadata title=...
    bool faststart = false;                  // movie box before the media data
    bool fragmented = false;                 // -movflags frag_keyframe+empty_moov
    bool bitexact = false;                   // -fflags +bitexact
    int loops = 0;                           // the second played this many times more
    bool tiny = false;                       // 32x24 pictures, 16 kb/s sound: little media data
};

// Makes a one-second 160x120 video with one video and one audio stream;
// with `loops`, that second looped without re-encoding (an hour in a few
// seconds, with the movie box an hour's video has).
// Fails the calling test (by exception) when FFmpeg fails.
void makeVideo(const fs::path& target, const VideoRecipe& recipe);

// Ten minutes in the handheld's own layout, titled `title`: a movie box of
// hundreds of kilobytes, as movies have (in seconds of FFmpeg's time),
// around tiny pictures, so that the suites copying it hundreds of times
// move 2.6 MB each time instead of 12.
VideoRecipe movieLength(const std::string& title);

// Videos made once for a whole test program, before its first test, and
// removed after its last; each test works on a copy of its own.
class OriginalVideos {
public:
    // Registers the set; `fill` makes the videos with add().
    static void registerSet(void (*fill)(OriginalVideos&));
    void add(const std::string& name, const VideoRecipe& recipe);
    // Copies the video `name` into `into` and returns the copy's path.
    static fs::path copy(const std::string& name, const TempFolder& into);

private:
    TempFolder folder_;
};

Bytes readBytes(const fs::path& file);
void writeBytes(const fs::path& file, const Bytes& bytes);

// A top-level box as a plain walk of the file finds it.
struct TopBox {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint32_t headerSize = 0;
    std::string type;
};
std::vector<TopBox> topLevelBoxes(const Bytes& file);
// The payload bytes of every top-level 'mdat', joined.
Bytes mediaData(const Bytes& file);
// The offset of the first top-level box of this type; throws when none.
TopBox firstBox(const Bytes& file, const std::string& type);
std::size_t movieCount(const Bytes& file);
// Whether every top-level box of `before` that is neither a movie box nor
// free space (the media data above all) is in `after` unchanged, at the
// same offset.
bool boxesKeptInPlace(const Bytes& before, const Bytes& after);
// Bytes no player reads: free boxes and movie boxes after the first.
std::uint64_t deadBytes(const Bytes& file);
// Whether the (first) movie box comes before the media data.
bool movieBeforeMedia(const Bytes& file);
// A top-level box of every byte of the file, at most one movie box, and
// no more dead space than one movie box plus 64 KiB: what every save must
// leave. Empty when so, else what is wrong.
std::string tidinessProblem(const Bytes& file);

// Offsets of every occurrence of `needle` in `haystack`.
std::vector<std::size_t> find(const Bytes& haystack, const Bytes& needle);
Bytes bytesOf(const std::string& text);
std::uint32_t readU32(const Bytes& bytes, std::size_t at);
void putU32(Bytes& bytes, std::size_t at, std::uint32_t value);

// ffprobe's view: streams and duration, and the format's title tag.
std::string streamsAndDuration(const fs::path& video);
std::string probedTitle(const fs::path& video);
// What FFmpeg prints while decoding every frame; empty for a sound file.
std::string decodeErrors(const fs::path& video);

// The title library through its C interface.
struct Opened {
    bool ok = false;
    std::u16string title;
    std::string errorText;
};
Opened openTitle(const fs::path& video);
// Saves `title`; the error text when it fails, empty when it worked.
std::string saveTitle(const fs::path& video, const std::u16string& title);

} // namespace fixtures
