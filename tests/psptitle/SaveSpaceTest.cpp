// How much room saves take: however many saves of whatever lengths, the
// file holds at most one movie box plus 64 KiB of dead space, and a movie
// box before the media data stays there whenever the space allows it.

#include "VideoFixtures.h"

#include <gtest/gtest.h>

#include <random>

using namespace fixtures;

namespace {

void makeOriginals(OriginalVideos& videos)
{
    videos.add("HandheldMovieLast", {"psp", "Old Title"});
    videos.add("HandheldMovieFirst", {"psp", "Old Title", true});
    videos.add("QuickTimeMovieLast", {"mov", "Old Title"});
    videos.add("HandheldMovieLength", movieLength("Old Title"));
}
const bool registered = (OriginalVideos::registerSet(makeOriginals), true);

class RepeatedSaves : public testing::TestWithParam<std::string> {};

TEST_P(RepeatedSaves, DeadSpaceStaysBelowOneMovieBoxAndSixtyFourKibibytes)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy(GetParam(), folder);
    const Bytes original = readBytes(video);
    std::mt19937 random(20240611);
    // Mostly short titles, now and then one near the longest there is.
    std::uniform_int_distribution<std::size_t> shortLength(0, 300);
    std::uniform_int_distribution<std::size_t> anyLength(0, 32761);
    for (int save = 1; save <= 200; ++save) {
        SCOPED_TRACE("save " + std::to_string(save));
        const std::size_t length = save % 10 == 0 ? anyLength(random) : shortLength(random);
        const std::u16string title(length, static_cast<char16_t>(u'a' + save % 26));
        ASSERT_EQ(saveTitle(video, title), "");
        ASSERT_EQ(openTitle(video).title, title);
        const Bytes now = readBytes(video);
        ASSERT_EQ(tidinessProblem(now), "");
        ASSERT_TRUE(boxesKeptInPlace(original, now));
        if (save % 50 == 0) {
            EXPECT_EQ(decodeErrors(video), "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, RepeatedSaves, testing::Values(std::string("HandheldMovieLast"), std::string("HandheldMovieFirst"),
                                         std::string("QuickTimeMovieLast"), std::string("HandheldMovieLength")),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

TEST(MovieFirst, StaysFirstWhileTheTitleFitsItsPlace)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieFirst", folder);
    ASSERT_EQ(saveTitle(video, u"Shorter"), "");
    EXPECT_TRUE(movieBeforeMedia(readBytes(video)));
    ASSERT_EQ(saveTitle(video, u"Same len"), "");
    EXPECT_TRUE(movieBeforeMedia(readBytes(video)));
    EXPECT_EQ(openTitle(video).title, u"Same len");
    EXPECT_EQ(tidinessProblem(readBytes(video)), "");
    EXPECT_EQ(decodeErrors(video), "");
}

// The media data cannot move, so a title that outgrows the place sends
// the movie box after it, once: there it stays, and later saves rewrite
// its title box alone.
TEST(MovieFirst, MovesAfterTheMediaOnceAndStaysThere)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieFirst", folder);
    ASSERT_EQ(saveTitle(video, u"A title much longer than the one FFmpeg wrote"), "");
    const Bytes moved = readBytes(video);
    EXPECT_FALSE(movieBeforeMedia(moved));
    ASSERT_EQ(saveTitle(video, u"Short"), "");
    const Bytes after = readBytes(video);
    EXPECT_FALSE(movieBeforeMedia(after));
    EXPECT_LE(after.size(), moved.size() + 1024) << "one title box more at most";
    EXPECT_TRUE(boxesKeptInPlace(moved, after));
    EXPECT_EQ(openTitle(video).title, u"Short");
    EXPECT_EQ(tidinessProblem(after), "");
    EXPECT_EQ(decodeErrors(video), "");
}

// A movie's movie box is megabytes; saves rewrite its title box alone,
// and the file grows by no more than a title box or two however many
// follow.
TEST(MovieLength, TenSavesGrowTheFileByLittleAndKeepTheMovieBoxLast)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLength", folder);
    const Bytes original = readBytes(video);
    for (int save = 1; save <= 10; ++save) {
        const std::u16string title(static_cast<std::size_t>(save % 3 == 0 ? 200 : 20 + save), u'm');
        ASSERT_EQ(saveTitle(video, title), "");
        ASSERT_EQ(openTitle(video).title, title);
    }
    const Bytes now = readBytes(video);
    EXPECT_LE(now.size(), original.size() + 64 * 1024);
    EXPECT_EQ(firstBox(now, "moov").offset, firstBox(original, "moov").offset);
    EXPECT_EQ(firstBox(now, "moov").offset + firstBox(now, "moov").size, now.size());
    EXPECT_TRUE(boxesKeptInPlace(original, now));
    EXPECT_EQ(tidinessProblem(now), "");
}

TEST(MovieLast, SavesLeaveNoDeadSpaceBehindTheMovieBox)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    const Bytes original = readBytes(video);
    ASSERT_EQ(saveTitle(video, u"Longer than Old Title"), "");
    ASSERT_EQ(saveTitle(video, u"Even longer than the title before"), "");
    const Bytes now = readBytes(video);
    EXPECT_EQ(deadBytes(now), deadBytes(original));
    EXPECT_EQ(firstBox(now, "moov").offset, firstBox(original, "moov").offset);
    EXPECT_EQ(firstBox(now, "moov").offset + firstBox(now, "moov").size, now.size());
}

} // namespace
