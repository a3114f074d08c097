#pragma once

// Helpers for the title library's tests: the test support library's
// folders, program runs and FFmpeg-made videos, the tools that check them,
// and a minimal top-level box walker that is independent of the library
// under test.

#include "tests/common/MakeMedia.h"
#include "tests/common/RunProgram.h"
#include "tests/common/TempFolder.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fixtures {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

using ::TempFolder;
using ::ProgramRun;
using ::RunProgram;

// What a forked process left: how it ended (as waitpid tells it) and the
// text its work returned.
struct ChildRun {
    int status = 0;
    std::string text;
};

// Runs `work` in a forked copy of this process, which ends right after it
// without running anything of the test program's own.
ChildRun runInChild(const std::function<std::string()>& work);

using ::VideoRecipe;
using ::MakeVideo;
using ::MakePicture;

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
