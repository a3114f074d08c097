// What interrupted or competing saves leave behind: a movie box cut off by
// the end of the file, a second movie box, a save killed by the file size
// limit, and two processes saving one file at the same moment. Players read
// the first movie box and stop at a cut-off one; so must the library, and
// the next save must clear every trace.

#include "VideoFixtures.h"

#include "psptitle/psptitle.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace fixtures;

namespace {

void makeOriginals(OriginalVideos& videos)
{
    videos.add("HandheldMovieLast", {"psp", "Old Title"});
    videos.add("HandheldMovieFirst", {"psp", "Old Title", true});
    videos.add("HandheldMovieLength", movieLength("Old Title"));
}
const bool registered = (OriginalVideos::registerSet(makeOriginals), true);

Bytes movieBoxOf(const Bytes& file)
{
    const TopBox moov = firstBox(file, "moov");
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(moov.offset),
                 file.begin() + static_cast<std::ptrdiff_t>(moov.offset + moov.size));
}

// The file reads as players read it and the next save leaves it tidy.
void expectReadAsPlayersAndCleared(const fs::path& video, const Bytes& original)
{
    const Opened opened = openTitle(video);
    ASSERT_TRUE(opened.ok) << opened.errorText;
    EXPECT_EQ(opened.title, u"Old Title");
    EXPECT_EQ(decodeErrors(video), "");
    ASSERT_EQ(saveTitle(video, u"After the traces"), "");
    EXPECT_EQ(openTitle(video).title, u"After the traces");
    const Bytes after = readBytes(video);
    EXPECT_EQ(tidinessProblem(after), "");
    EXPECT_TRUE(boxesKeptInPlace(original, after));
    EXPECT_EQ(decodeErrors(video), "");
}

class Traces : public testing::TestWithParam<std::string> {
protected:
    TempFolder folder_;
    const fs::path video_ = OriginalVideos::copy(GetParam(), folder_);
    const Bytes original_ = readBytes(video_);
};

TEST_P(Traces, MovieBoxCutOffByTheEndOfTheFile)
{
    Bytes file = original_;
    const Bytes movie = movieBoxOf(file);
    file.insert(file.end(), movie.begin(), movie.begin() + static_cast<std::ptrdiff_t>(movie.size() / 2));
    writeBytes(video_, file);
    expectReadAsPlayersAndCleared(video_, original_);
}

TEST_P(Traces, FreeBoxCutOffByTheEndOfTheFile)
{
    Bytes file = original_;
    file.insert(file.end(), {0x00, 0x01, 0x00, 0x00, 'f', 'r', 'e', 'e', 1, 2, 3});
    writeBytes(video_, file);
    expectReadAsPlayersAndCleared(video_, original_);
}

TEST_P(Traces, HeaderCutShortAtTheEndOfTheFile)
{
    Bytes file = original_;
    file.insert(file.end(), {0x00, 0x00, 0x12});
    writeBytes(video_, file);
    expectReadAsPlayersAndCleared(video_, original_);
}

// The second movie box holds another title; the first one is live.
TEST_P(Traces, SecondMovieBox)
{
    TempFolder other;
    const fs::path later = OriginalVideos::copy(GetParam(), other);
    ASSERT_EQ(saveTitle(later, u"A later title in a second movie box"), "");
    const Bytes second = movieBoxOf(readBytes(later));
    Bytes file = original_;
    file.insert(file.end(), second.begin(), second.end());
    writeBytes(video_, file);
    expectReadAsPlayersAndCleared(video_, original_);
}

// A save killed while it appends (here by the file size limit, which also
// stands for a kill or a power cut at that moment).
TEST_P(Traces, SaveKilledByTheFileSizeLimit)
{
    // Less than the smallest append: a title box, or a whole movie box.
    const std::uint64_t limit = original_.size() + 100;
    const ChildRun killed = runInChild([&] {
        const struct rlimit noCore {0, 0};
        const struct rlimit fileSize {limit, limit};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        return saveTitle(video_, std::u16string(300, u'x'));
    });
    ASSERT_TRUE(WIFSIGNALED(killed.status)) << killed.text;
    EXPECT_EQ(WTERMSIG(killed.status), SIGXFSZ);
    EXPECT_EQ(fs::file_size(video_), limit);
    expectReadAsPlayersAndCleared(video_, original_);
}

INSTANTIATE_TEST_SUITE_P(Layouts, Traces, testing::Values(std::string("HandheldMovieLast"), std::string("HandheldMovieFirst"),
                                                             std::string("HandheldMovieLength")),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

// Both ends of a pipe, closed when it goes.
class Pipe {
public:
    Pipe()
    {
        if (::pipe2(ends_, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
    }
    ~Pipe()
    {
        closeReading();
        closeWriting();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    int reading() const { return ends_[0]; }
    int writing() const { return ends_[1]; }
    void closeReading() { closeEnd(ends_[0]); }
    void closeWriting() { closeEnd(ends_[1]); }

    std::string readAll()
    {
        std::string text;
        char buffer[512];
        for (ssize_t n; (n = ::read(reading(), buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(n));
        return text;
    }

private:
    static void closeEnd(int& end)
    {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
    int ends_[2] = {-1, -1};
};

// A forked process that opens the video, says it is ready, waits for the
// word go (the end of `go`), saves `title` and writes "saved" or the error
// text to `result`.
pid_t startSaver(const fs::path& video, const std::u16string& title, Pipe& ready, Pipe& go, Pipe& result)
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    go.closeWriting();
    TitleLib* lib = TitleLibCreate();
    const bool opened = TitleLibOpen(lib, video.c_str()) != 0;
    (void)!::write(ready.writing(), "r", 1);
    char ignored;
    while (::read(go.reading(), &ignored, 1) > 0) {
    }
    std::string text = TitleLibErrorText(lib);
    if (opened)
        text = TitleLibSetTitle(lib, title.c_str()) != 0 && TitleLibSave(lib) != 0 ? "saved" : TitleLibErrorText(lib);
    (void)!::write(result.writing(), text.data(), text.size());
    ::_exit(0);
}

// Both processes read the file before either saves; the lock lets one
// save at a time, and the second finds the file changed and says so.
class ConcurrentSaves : public testing::TestWithParam<std::string> {};

TEST_P(ConcurrentSaves, TwoProcessesSaveOneFileAtOnce)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy(GetParam(), folder);
    const Bytes original = readBytes(video);
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::u16string titles[2] = {u"Round " + std::u16string(static_cast<std::size_t>(round), u'a'),
                                          u"Round " + std::u16string(static_cast<std::size_t>(50 - round), u'b')};
        Pipe ready;
        Pipe go;
        Pipe results[2];
        pid_t savers[2];
        for (int i = 0; i < 2; ++i)
            savers[i] = startSaver(video, titles[i], ready, go, results[i]);
        for (Pipe& result : results)
            result.closeWriting();
        char word[2];
        ASSERT_EQ(::read(ready.reading(), word, 1) + ::read(ready.reading(), word + 1, 1), 2);
        go.closeWriting();
        std::string texts[2];
        for (int i = 0; i < 2; ++i) {
            texts[i] = results[i].readAll();
            int status = 0;
            ::waitpid(savers[i], &status, 0);
        }
        const int winners = (texts[0] == "saved" ? 1 : 0) + (texts[1] == "saved" ? 1 : 0);
        ASSERT_EQ(winners, 1) << texts[0] << " / " << texts[1];
        const int winner = texts[0] == "saved" ? 0 : 1;
        EXPECT_EQ(texts[1 - winner], GetParam() + ".MP4: the file changed since it was opened; the title was not saved");
        EXPECT_EQ(openTitle(video).title, titles[winner]);
        const Bytes now = readBytes(video);
        ASSERT_EQ(tidinessProblem(now), "");
        EXPECT_TRUE(boxesKeptInPlace(original, now));
    }
    EXPECT_EQ(decodeErrors(video), "");
}

INSTANTIATE_TEST_SUITE_P(Layouts, ConcurrentSaves,
                         testing::Values(std::string("HandheldMovieLast"), std::string("HandheldMovieLength")),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

} // namespace
