#include "VideoFixtures.h"

#include "psptitle/psptitle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <unordered_map>

namespace fixtures {

ChildRun runInChild(const std::function<std::string()>& work)
{
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        ::close(channel[0]);
        const std::string text = work();
        const ssize_t ignored = ::write(channel[1], text.data(), text.size());
        (void)ignored;
        ::_exit(0);
    }
    ::close(channel[1]);
    ChildRun result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        result.text.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    ::waitpid(child, &result.status, 0);
    return result;
}

VideoRecipe movieLength(const std::string& title)
{
    VideoRecipe recipe;
    recipe.title = title;
    recipe.loops = 599;
    recipe.tiny = true;
    return recipe;
}

Bytes readBytes(const fs::path& file)
{
    // One read of the whole file: the suites read movie-length videos
    // hundreds of times, too slow a byte at a time under the sanitizers.
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    Bytes bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

void writeBytes(const fs::path& file, const Bytes& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

std::uint32_t readU32(const Bytes& bytes, std::size_t at)
{
    return (std::uint32_t{bytes.at(at)} << 24) | (std::uint32_t{bytes.at(at + 1)} << 16) |
           (std::uint32_t{bytes.at(at + 2)} << 8) | bytes.at(at + 3);
}

void putU32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(at + static_cast<std::size_t>(i)) = static_cast<unsigned char>(value >> (24 - 8 * i));
}

std::vector<TopBox> topLevelBoxes(const Bytes& file)
{
    std::vector<TopBox> boxes;
    std::uint64_t at = 0;
    while (at + 8 <= file.size()) {
        TopBox box;
        box.offset = at;
        box.size = readU32(file, at);
        box.headerSize = 8;
        box.type.assign(reinterpret_cast<const char*>(file.data() + at + 4), 4);
        if (box.size == 1) {
            box.size = (std::uint64_t{readU32(file, at + 8)} << 32) | readU32(file, at + 12);
            box.headerSize = 16;
        } else if (box.size == 0) {
            box.size = file.size() - at;
        }
        if (box.size < box.headerSize || box.size > file.size() - at)
            throw std::runtime_error("damaged top-level box " + box.type);
        boxes.push_back(box);
        at += box.size;
    }
    return boxes;
}

Bytes mediaData(const Bytes& file)
{
    Bytes media;
    for (const TopBox& box : topLevelBoxes(file)) {
        if (box.type == "mdat")
            media.insert(media.end(), file.begin() + static_cast<std::ptrdiff_t>(box.offset + box.headerSize),
                         file.begin() + static_cast<std::ptrdiff_t>(box.offset + box.size));
    }
    return media;
}

TopBox firstBox(const Bytes& file, const std::string& type)
{
    for (const TopBox& box : topLevelBoxes(file)) {
        if (box.type == type)
            return box;
    }
    throw std::runtime_error("no top-level " + type);
}

std::size_t movieCount(const Bytes& file)
{
    const auto boxes = topLevelBoxes(file);
    return static_cast<std::size_t>(std::count_if(boxes.begin(), boxes.end(), [](const TopBox& box) { return box.type == "moov"; }));
}

bool boxesKeptInPlace(const Bytes& before, const Bytes& after)
{
    for (const TopBox& box : topLevelBoxes(before)) {
        if (box.type == "moov" || box.type == "free" || box.type == "skip")
            continue;
        if (box.offset + box.size > after.size() ||
            !std::equal(before.begin() + static_cast<std::ptrdiff_t>(box.offset),
                        before.begin() + static_cast<std::ptrdiff_t>(box.offset + box.size),
                        after.begin() + static_cast<std::ptrdiff_t>(box.offset)))
            return false;
    }
    return true;
}

std::uint64_t deadBytes(const Bytes& file)
{
    std::uint64_t dead = 0;
    bool movieSeen = false;
    for (const TopBox& box : topLevelBoxes(file)) {
        if (box.type == "free" || box.type == "skip" || (box.type == "moov" && movieSeen))
            dead += box.size;
        movieSeen = movieSeen || box.type == "moov";
    }
    return dead;
}

bool movieBeforeMedia(const Bytes& file)
{
    return firstBox(file, "moov").offset < firstBox(file, "mdat").offset;
}

std::string tidinessProblem(const Bytes& file)
{
    try {
        if (movieCount(file) != 1)
            return std::to_string(movieCount(file)) + " movie boxes";
        const std::uint64_t allowed = firstBox(file, "moov").size + 64 * 1024;
        if (deadBytes(file) > allowed)
            return std::to_string(deadBytes(file)) + " dead bytes, more than " + std::to_string(allowed);
    } catch (const std::exception& damaged) {
        return damaged.what();
    }
    return {};
}

std::vector<std::size_t> find(const Bytes& haystack, const Bytes& needle)
{
    std::vector<std::size_t> found;
    for (auto it = haystack.begin();
         (it = std::search(it, haystack.end(), needle.begin(), needle.end())) != haystack.end(); ++it)
        found.push_back(static_cast<std::size_t>(it - haystack.begin()));
    return found;
}

Bytes bytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

std::string streamsAndDuration(const fs::path& video)
{
    return RunProgram({"ffprobe", "-v", "error", "-show_entries",
                "format=duration:stream=index,codec_type,codec_name,width,height,sample_rate,channels,nb_frames,duration",
                "-of", "compact", video.string()})
        .output;
}

std::string probedTitle(const fs::path& video)
{
    std::string title = RunProgram({"ffprobe", "-v", "error", "-show_entries", "format_tags=title", "-of",
                             "default=noprint_wrappers=1:nokey=1", video.string()})
                            .output;
    if (!title.empty() && title.back() == '\n')
        title.pop_back();
    return title;
}

std::string decodeErrors(const fs::path& video)
{
    // The crash suites decode hundreds of outcomes that are mostly the
    // same few files byte for byte; FFmpeg's verdict depends only on the
    // bytes, so each distinct file is decoded once per run.
    static std::unordered_map<std::string, std::string> verdicts;
    const Bytes bytes = readBytes(video);
    std::string content(bytes.begin(), bytes.end());
    if (const auto known = verdicts.find(content); known != verdicts.end())
        return known->second;
    const ProgramRun decoded = RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-i", video.string(), "-f", "null", "-"});
    std::string verdict = decoded.errors + (decoded.exitCode == 0 ? "" : "exit code " + std::to_string(decoded.exitCode));
    verdicts.emplace(std::move(content), verdict);
    return verdict;
}

namespace {

struct LibraryDeleter {
    void operator()(TitleLib* lib) const { TitleLibDestroy(lib); }
};
using Library = std::unique_ptr<TitleLib, LibraryDeleter>;

} // namespace

Opened openTitle(const fs::path& video)
{
    const Library lib(TitleLibCreate());
    Opened opened;
    opened.ok = TitleLibOpen(lib.get(), video.c_str()) != 0;
    opened.title = TitleLibGetTitle(lib.get());
    opened.errorText = TitleLibErrorText(lib.get());
    return opened;
}

std::string saveTitle(const fs::path& video, const std::u16string& title)
{
    const Library lib(TitleLibCreate());
    if (TitleLibOpen(lib.get(), video.c_str()) == 0)
        return TitleLibErrorText(lib.get());
    if (TitleLibSetTitle(lib.get(), title.c_str()) == 0 || TitleLibSave(lib.get()) == 0)
        return TitleLibErrorText(lib.get());
    return {};
}

namespace {

std::unique_ptr<OriginalVideos> originals;

class OriginalVideosEnvironment : public testing::Environment {
public:
    explicit OriginalVideosEnvironment(void (*fill)(OriginalVideos&)) : fill_(fill) {}
    void SetUp() override
    {
        originals = std::make_unique<OriginalVideos>();
        fill_(*originals);
    }
    void TearDown() override { originals.reset(); }

private:
    void (*fill_)(OriginalVideos&);
};

} // namespace

void OriginalVideos::registerSet(void (*fill)(OriginalVideos&))
{
    testing::AddGlobalTestEnvironment(new OriginalVideosEnvironment(fill));
}

void OriginalVideos::add(const std::string& name, const VideoRecipe& recipe)
{
    MakeVideo(folder_ / (name + ".MP4"), recipe);
}

fs::path OriginalVideos::copy(const std::string& name, const TempFolder& into)
{
    const fs::path target = into / (name + ".MP4");
    fs::copy_file(originals->folder_ / (name + ".MP4"), target);
    return target;
}

} // namespace fixtures
