// A save that fails or is cut off at any of its writes, flushes or
// truncations leaves a video that plays, holds the old or the new title and
// keeps its media data; a save that fails cleanly leaves the file as it was.

#include "FaultyStorage.h"
#include "VideoFixtures.h"

#include "psptitle/TitleLibSeam.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>

using namespace fixtures;

namespace {

struct Layout {
    std::string name;
    VideoRecipe recipe;
};

const Layout layouts[] = {
    {"HandheldMovieLast", {"psp", "Old"}},
    {"HandheldMovieFirst", {"psp", "Old", true}},
    {"QuickTimeMovieLast", {"mov", "Old"}},
    {"Mp4MovieFirst", {"mp4", "Old", true}},
};

const std::u16string newTitle = u"A new title that is longer than the old one";

void makeOriginals(OriginalVideos& videos)
{
    for (const Layout& layout : layouts)
        videos.add(layout.name, layout.recipe);
}
const bool registered = (OriginalVideos::registerSet(makeOriginals), true);

struct Attempt {
    bool saved = false;
    std::string errorText;
    std::size_t calls = 0;
};

Attempt saveThrough(const fs::path& video, std::unique_ptr<FaultyStorage> storage)
{
    FaultyStorage& faults = *storage;
    TitleLib* lib = TitleLibCreateWithStorage(std::move(storage));
    Attempt attempt;
    if (TitleLibOpen(lib, video.c_str()) != 0 && TitleLibSetTitle(lib, newTitle.c_str()) != 0)
        attempt.saved = TitleLibSave(lib) != 0;
    attempt.errorText = TitleLibErrorText(lib);
    attempt.calls = faults.calls();
    TitleLibDestroy(lib);
    return attempt;
}

// The mutating calls of a save that goes through.
std::size_t callsOfACleanSave(const std::string& name)
{
    TempFolder folder;
    const Attempt clean = saveThrough(OriginalVideos::copy(name, folder),
                                      std::make_unique<FaultyStorage>(0, FaultyStorage::Mode::Failure, EIO));
    EXPECT_TRUE(clean.saved) << clean.errorText;
    return clean.calls;
}

class CrashSafety : public testing::TestWithParam<Layout> {};

TEST_P(CrashSafety, EveryFailedCallLeavesTheFileAsItWas)
{
    const std::size_t calls = callsOfACleanSave(GetParam().name);
    ASSERT_GE(calls, 4u);
    for (const int error : {EIO, ENOSPC}) {
        for (std::size_t n = 1; n <= calls; ++n) {
            SCOPED_TRACE("call " + std::to_string(n) + " fails with errno " + std::to_string(error));
            TempFolder folder;
            const fs::path video = OriginalVideos::copy(GetParam().name, folder);
            const Bytes before = readBytes(video);
            const Attempt attempt =
                saveThrough(video, std::make_unique<FaultyStorage>(n, FaultyStorage::Mode::Failure, error));
            EXPECT_FALSE(attempt.saved);
            const std::string expected = error == ENOSPC ? GetParam().name + ".MP4: the medium is full; the title was not saved"
                                                         : GetParam().name + ".MP4: the title could not be written (Input/output error)";
            EXPECT_EQ(attempt.errorText, expected);
            EXPECT_TRUE(readBytes(video) == before);
        }
    }
}

TEST_P(CrashSafety, EveryCrashLeavesAPlayableVideoWithTheOldOrNewTitle)
{
    const std::size_t calls = callsOfACleanSave(GetParam().name);
    std::set<std::u16string> titlesSeen;
    for (std::size_t n = 1; n <= calls; ++n) {
        SCOPED_TRACE("machine stops at call " + std::to_string(n));
        TempFolder folder;
        const fs::path video = OriginalVideos::copy(GetParam().name, folder);
        const Bytes media = mediaData(readBytes(video));
        const Attempt attempt = saveThrough(video, std::make_unique<FaultyStorage>(n, FaultyStorage::Mode::Crash, EIO));
        EXPECT_FALSE(attempt.saved);
        const Opened opened = openTitle(video);
        ASSERT_TRUE(opened.ok) << opened.errorText;
        EXPECT_TRUE(opened.title == u"Old" || opened.title == newTitle);
        titlesSeen.insert(opened.title);
        EXPECT_EQ(decodeErrors(video), "");
        EXPECT_TRUE(mediaData(readBytes(video)) == media);
    }
    // The last flush is the only call after which the new title is durable.
    EXPECT_EQ(titlesSeen.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Layouts, CrashSafety, testing::ValuesIn(layouts),
                         [](const testing::TestParamInfo<Layout>& info) { return info.param.name; });

TEST(RefusedMedium, ReadOnlyMedium)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    const Bytes before = readBytes(video);
    auto storage = std::make_unique<FaultyStorage>(0, FaultyStorage::Mode::Failure, EIO);
    storage->pretendReadOnlyMedium();
    const Attempt attempt = saveThrough(video, std::move(storage));
    EXPECT_FALSE(attempt.saved);
    EXPECT_EQ(attempt.errorText, "HandheldMovieLast.MP4: the medium is read-only; the title was not saved");
    EXPECT_EQ(attempt.calls, 0u);
    EXPECT_TRUE(readBytes(video) == before);
}

TEST(RefusedMedium, MediumRefusesToOpenForWriting)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    auto storage = std::make_unique<FaultyStorage>(0, FaultyStorage::Mode::Failure, EIO);
    storage->refuseWriting(EROFS);
    EXPECT_EQ(saveThrough(video, std::move(storage)).errorText,
              "HandheldMovieLast.MP4: the medium is read-only; the title was not saved");
}

TEST(RefusedMedium, UnreadableFile)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    auto storage = std::make_unique<FaultyStorage>(0, FaultyStorage::Mode::Failure, EIO);
    storage->refuseReading(EIO);
    EXPECT_EQ(saveThrough(video, std::move(storage)).errorText,
              "HandheldMovieLast.MP4: the file cannot be read (Input/output error)");
}

} // namespace
