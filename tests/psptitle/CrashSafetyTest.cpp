// A save that fails or is cut off at any of its writes, flushes or
// truncations leaves a video that opens, plays, holds the old or the new
// title, keeps its media data where it was, and takes the next save, which
// leaves no trace of the interrupted one. A save that fails before its
// commit leaves the file as it was, byte for byte.

#include "FaultyStorage.h"
#include "VideoFixtures.h"

#include "psptitle/TitleLibSeam.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <tuple>

using namespace fixtures;

namespace {

struct Layout {
    std::string name;
    VideoRecipe recipe;
    // Whether each outcome is decoded too; the media data is compared
    // byte for byte either way.
    bool decodes = true;
};

const Layout layouts[] = {
    {"HandheldMovieLast", {"psp", "Old"}},
    {"HandheldMovieFirst", {"psp", "Old", true}},
    {"QuickTimeMovieLast", {"mov", "Old"}},
    {"QuickTimeMovieFirst", {"mov", "Old", true}},
    {"Mp4MovieFirst", {"mp4", "Old", true}},
    // A save rewrites its title box alone.
    {"HandheldMovieLength", movieLength("Old"), false},
};

// The saves a file went through before the one that is cut off, and the
// title that one stores: each takes a different way through the file.
struct Scenario {
    std::string name;
    std::vector<std::u16string> earlier;
    std::u16string title;
};

const std::u16string longTitle(60, u'L');

const Scenario scenarios[] = {
    {"Longer", {}, u"A new title that is longer than the old one"},
    {"Shorter", {}, u""},
    {"SameLength", {}, u"New"},
    {"ShorterAfterLonger", {longTitle}, u"S"},
    {"LongerAfterLonger", {longTitle}, longTitle + longTitle},
};

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

Attempt saveThrough(const fs::path& video, const std::u16string& title, std::unique_ptr<FaultyStorage> storage)
{
    FaultyStorage& faults = *storage;
    TitleLib* lib = TitleLibCreateWithStorage(std::move(storage));
    Attempt attempt;
    if (TitleLibOpen(lib, video.c_str()) != 0 && TitleLibSetTitle(lib, title.c_str()) != 0)
        attempt.saved = TitleLibSave(lib) != 0;
    attempt.errorText = TitleLibErrorText(lib);
    attempt.calls = faults.calls();
    TitleLibDestroy(lib);
    return attempt;
}

std::unique_ptr<FaultyStorage> faults(std::size_t call, FaultyStorage::Mode mode, int error = EIO)
{
    return std::make_unique<FaultyStorage>(call, mode, error);
}

class CrashSafety : public testing::TestWithParam<std::tuple<Layout, Scenario>> {
protected:
    void SetUp() override
    {
        const fs::path video = OriginalVideos::copy(layout().name, folder_);
        for (const std::u16string& title : scenario().earlier)
            ASSERT_EQ(saveTitle(video, title), "");
        oldTitle_ = openTitle(video).title;
        start_ = readBytes(video);
        const Attempt clean = saveThrough(video, scenario().title, faults(0, FaultyStorage::Mode::Failure));
        ASSERT_TRUE(clean.saved) << clean.errorText;
        ASSERT_EQ(tidinessProblem(readBytes(video)), "");
        calls_ = clean.calls;
        ASSERT_GE(calls_, 4u);
        fs::remove(video);
    }

    const Layout& layout() const { return std::get<0>(GetParam()); }
    const Scenario& scenario() const { return std::get<1>(GetParam()); }

    // A fresh copy of the file as it was before the save under test.
    fs::path startingFile(const TempFolder& folder) const
    {
        const fs::path video = folder / (layout().name + ".MP4");
        writeBytes(video, start_);
        return video;
    }

    // What every save, whole or cut off, must leave, and the next save
    // must clear.
    void expectSoundAndSavesAgain(const fs::path& video, bool saved, bool decode) const
    {
        const Opened opened = openTitle(video);
        ASSERT_TRUE(opened.ok) << opened.errorText;
        if (saved) {
            EXPECT_EQ(opened.title, scenario().title);
        } else {
            EXPECT_TRUE(opened.title == oldTitle_ || opened.title == scenario().title);
        }
        if (decode && layout().decodes) {
            EXPECT_EQ(decodeErrors(video), "");
        }
        EXPECT_TRUE(boxesKeptInPlace(start_, readBytes(video)));

        ASSERT_EQ(saveTitle(video, u"Saved again"), "");
        EXPECT_EQ(openTitle(video).title, u"Saved again");
        const Bytes after = readBytes(video);
        EXPECT_EQ(tidinessProblem(after), "");
        EXPECT_TRUE(boxesKeptInPlace(start_, after));
    }

    TempFolder folder_;
    Bytes start_;
    std::u16string oldTitle_;
    std::size_t calls_ = 0;
};

TEST_P(CrashSafety, AFailedCallBeforeTheCommitLeavesTheFileAsItWas)
{
    std::size_t failed = 0;
    for (const int error : {EIO, ENOSPC}) {
        for (std::size_t n = 1; n <= calls_; ++n) {
            SCOPED_TRACE("call " + std::to_string(n) + " fails with errno " + std::to_string(error));
            TempFolder folder;
            const fs::path video = startingFile(folder);
            const Attempt attempt = saveThrough(video, scenario().title, faults(n, FaultyStorage::Mode::Failure, error));
            if (!attempt.saved) {
                ++failed;
                const std::string expected = error == ENOSPC ? "the medium is full; the title was not saved"
                                                             : "the title could not be written (Input/output error)";
                EXPECT_EQ(attempt.errorText, layout().name + ".MP4: " + expected);
                EXPECT_TRUE(readBytes(video) == start_);
            }
            expectSoundAndSavesAgain(video, attempt.saved, attempt.saved);
        }
    }
    // The first write can always be undone.
    EXPECT_GE(failed, 2u);
}

TEST_P(CrashSafety, AKillBetweenOrDuringAnyCallsLeavesAPlayableVideo)
{
    for (const auto mode : {FaultyStorage::Mode::Crash, FaultyStorage::Mode::TornCrash}) {
        std::set<std::u16string> titlesSeen;
        for (std::size_t n = 1; n <= calls_; ++n) {
            SCOPED_TRACE(std::string(mode == FaultyStorage::Mode::Crash ? "killed before" : "killed halfway through") +
                         " call " + std::to_string(n));
            TempFolder folder;
            const fs::path video = startingFile(folder);
            const Attempt attempt = saveThrough(video, scenario().title, faults(n, mode));
            titlesSeen.insert(openTitle(video).title);
            expectSoundAndSavesAgain(video, attempt.saved, true);
        }
        EXPECT_EQ(titlesSeen.size(), 2u) << (mode == FaultyStorage::Mode::Crash ? "killed" : "torn");
    }
}

void PrintTo(const Layout& layout, std::ostream* out)
{
    *out << layout.name;
}

void PrintTo(const Scenario& scenario, std::ostream* out)
{
    *out << scenario.name;
}

INSTANTIATE_TEST_SUITE_P(Layouts, CrashSafety, testing::Combine(testing::ValuesIn(layouts), testing::ValuesIn(scenarios)),
                         [](const testing::TestParamInfo<std::tuple<Layout, Scenario>>& info) {
                             return std::get<0>(info.param).name + "_" + std::get<1>(info.param).name;
                         });

TEST(RefusedMedium, ReadOnlyMedium)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    const Bytes before = readBytes(video);
    auto storage = faults(0, FaultyStorage::Mode::Failure);
    storage->pretendReadOnlyMedium();
    const Attempt attempt = saveThrough(video, u"New", std::move(storage));
    EXPECT_FALSE(attempt.saved);
    EXPECT_EQ(attempt.errorText, "HandheldMovieLast.MP4: the medium is read-only; the title was not saved");
    EXPECT_EQ(attempt.calls, 0u);
    EXPECT_TRUE(readBytes(video) == before);
}

TEST(RefusedMedium, MediumRefusesToOpenForWriting)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    auto storage = faults(0, FaultyStorage::Mode::Failure);
    storage->refuseWriting(EROFS);
    EXPECT_EQ(saveThrough(video, u"New", std::move(storage)).errorText,
              "HandheldMovieLast.MP4: the medium is read-only; the title was not saved");
}

// The file's permissions allow writing, but not to this user.
TEST(RefusedMedium, PermissionDenied)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    auto storage = faults(0, FaultyStorage::Mode::Failure);
    storage->refuseWriting(EACCES);
    EXPECT_EQ(saveThrough(video, u"New", std::move(storage)).errorText,
              "HandheldMovieLast.MP4: permission denied; the title was not saved");
}

TEST(RefusedMedium, UnreadableFile)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    auto storage = faults(0, FaultyStorage::Mode::Failure);
    storage->refuseReading(EIO);
    EXPECT_EQ(saveThrough(video, u"New", std::move(storage)).errorText,
              "HandheldMovieLast.MP4: the file cannot be read (Input/output error)");
}

TEST(NothingToSave, TheStoredTitleWritesNothing)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    const Bytes before = readBytes(video);
    const Attempt attempt = saveThrough(video, u"Old", faults(0, FaultyStorage::Mode::Failure));
    EXPECT_TRUE(attempt.saved) << attempt.errorText;
    EXPECT_EQ(attempt.calls, 0u);
    EXPECT_TRUE(readBytes(video) == before);
}

} // namespace
