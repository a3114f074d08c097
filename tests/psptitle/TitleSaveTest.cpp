// Saving titles into FFmpeg-made videos, and checking with FFmpeg's own
// tools that each video still plays exactly as before.

#include "VideoFixtures.h"

#include "psptitle/psptitle.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

using namespace fixtures;

namespace {

struct SaveCase {
    std::string name;
    VideoRecipe recipe;
    bool hasStandardTag;   // a ©nam that players on computers show
};

const SaveCase saveCases[] = {
    {"HandheldMovieLast", {"psp", "Old Title"}, false},
    {"HandheldMovieFirst", {"psp", "Old Title", true}, false},
    {"HandheldWithoutTitle", {"psp", std::nullopt}, false},
    {"HandheldBitexact", {"psp", "Old Title", false, false, true}, false},
    {"Mp4", {"mp4", "Old Title"}, true},
    {"Mp4Faststart", {"mp4", "Old Title", true}, true},
    {"QuickTime", {"mov", "Old Title"}, true},
    {"QuickTimeFaststart", {"mov", "Old Title", true}, true},
};

// Made once for the suite; each test works on its own copy.
// Made once for the program; each test works on its own copy.
void makeOriginals(OriginalVideos& videos)
{
    for (const SaveCase& each : saveCases)
        videos.add(each.name, each.recipe);
    videos.add("Fragmented", {"mp4", "Old Title", false, true});
}
const bool registered = (OriginalVideos::registerSet(makeOriginals), true);

class TitleSave : public testing::TestWithParam<SaveCase> {};

TEST_P(TitleSave, NewTitleReadsBackAndTheVideoPlaysAsBefore)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy(GetParam().name, folder);
    const Bytes before = readBytes(video);
    const std::string streamsBefore = streamsAndDuration(video);
    const std::string probedBefore = probedTitle(video);

    ASSERT_EQ(saveTitle(video, u"Brand new title, été"), "");

    const Opened opened = openTitle(video);
    ASSERT_TRUE(opened.ok) << opened.errorText;
    EXPECT_EQ(opened.title, u"Brand new title, été");
    EXPECT_EQ(decodeErrors(video), "");
    EXPECT_EQ(streamsAndDuration(video), streamsBefore);
    EXPECT_EQ(probedTitle(video), GetParam().hasStandardTag ? "Brand new title, été" : probedBefore);
    const Bytes after = readBytes(video);
    EXPECT_TRUE(mediaData(after) == mediaData(before));
    EXPECT_TRUE(boxesKeptInPlace(before, after));
    EXPECT_EQ(tidinessProblem(after), "");
}

TEST_P(TitleSave, SavingTwiceKeepsTheLastTitle)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy(GetParam().name, folder);
    const Bytes media = mediaData(readBytes(video));
    ASSERT_EQ(saveTitle(video, u"First"), "");
    ASSERT_EQ(saveTitle(video, u"A second, longer title than the first"), "");
    EXPECT_EQ(openTitle(video).title, u"A second, longer title than the first");
    EXPECT_EQ(decodeErrors(video), "");
    EXPECT_TRUE(mediaData(readBytes(video)) == media);
}

INSTANTIATE_TEST_SUITE_P(Ffmpeg, TitleSave, testing::ValuesIn(saveCases),
                         [](const testing::TestParamInfo<SaveCase>& info) { return info.param.name; });

TEST(TitleSaveOnce, TwoSavesOnOneOpenBothLand)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    TitleLib* lib = TitleLibCreate();
    ASSERT_NE(TitleLibOpen(lib, video.c_str()), 0);
    ASSERT_NE(TitleLibSetTitle(lib, u"One"), 0);
    ASSERT_NE(TitleLibSave(lib), 0) << TitleLibErrorText(lib);
    EXPECT_EQ(std::u16string(TitleLibGetTitle(lib)), u"One");
    ASSERT_NE(TitleLibSetTitle(lib, u"Two"), 0);
    ASSERT_NE(TitleLibSave(lib), 0) << TitleLibErrorText(lib);
    TitleLibDestroy(lib);
    EXPECT_EQ(openTitle(video).title, u"Two");
}

TEST(TitleSaveOnce, SameTitleAgainWritesNothing)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    const Bytes before = readBytes(video);
    struct stat then {};
    ASSERT_EQ(::stat(video.c_str(), &then), 0);
    ASSERT_EQ(saveTitle(video, u"Old Title"), "");
    struct stat now {};
    ASSERT_EQ(::stat(video.c_str(), &now), 0);
    EXPECT_TRUE(readBytes(video) == before);
    EXPECT_EQ(now.st_mtim.tv_sec, then.st_mtim.tv_sec);
    EXPECT_EQ(now.st_mtim.tv_nsec, then.st_mtim.tv_nsec);
}

TEST(TitleSaveOnce, SameTitleAgainOnAReadOnlyFileIsNoFailure)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    ASSERT_EQ(::chmod(video.c_str(), 0444), 0);
    EXPECT_EQ(saveTitle(video, u"Old Title"), "");
}

TEST(TitleSaveOnce, EmptyTitleIsStoredNotFallenBackFrom)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("Mp4", folder);
    ASSERT_EQ(saveTitle(video, u""), "");
    EXPECT_EQ(openTitle(video).title, u"");
    EXPECT_EQ(probedTitle(video), "");
    EXPECT_EQ(decodeErrors(video), "");
}

TEST(TitleSaveOnce, LongestTitleFitsAndOneMoreIsRefused)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    const std::u16string longest(32761, u'x');
    ASSERT_EQ(saveTitle(video, longest), "");
    EXPECT_EQ(openTitle(video).title, longest);
    EXPECT_EQ(decodeErrors(video), "");

    const Bytes before = readBytes(video);
    EXPECT_EQ(saveTitle(video, longest + u'x'),
              "HandheldMovieLast.MP4: the title is too long (32762 characters; at most 32761 of these fit)");
    EXPECT_TRUE(readBytes(video) == before);
}

// Characters beyond the basic plane take two UTF-16 units each; the limit
// is still told in characters.
TEST(TitleSaveOnce, TooLongIsToldInCharacters)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    std::u16string smiles;
    for (int i = 0; i < 20000; ++i)
        smiles += u"😀";
    EXPECT_EQ(saveTitle(video, smiles),
              "HandheldMovieLast.MP4: the title is too long (20000 characters; at most 16380 of these fit)");
}

TEST(TitleSaveOnce, CharactersBeyondBmpBecomeSurrogatePairs)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    ASSERT_EQ(saveTitle(video, u"Smile 😀"), "");
    EXPECT_EQ(openTitle(video).title, u"Smile 😀");
    const Bytes pair = {0x00, 0x20, 0xD8, 0x3D, 0xDE, 0x00, 0x00, 0x00};
    EXPECT_EQ(find(readBytes(video), pair).size(), 1u);
}

TEST(TitleSaveOnce, HandheldEntryIsAddedWithoutAddingUserData)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldWithoutTitle", folder);
    ASSERT_EQ(saveTitle(video, u"Now titled"), "");
    EXPECT_EQ(openTitle(video).title, u"Now titled");
    const Bytes after = readBytes(video);
    EXPECT_TRUE(find(after, bytesOf("udta")).empty());
    // The handheld reads the entry that FFmpeg's own title box would hold.
    Bytes entry = {0x00, 0x20, 0x00, 0x00, 0x00, 0x01, 0x15, 0xC7, 0x00, 0x01};
    for (const char c : std::string("Now titled"))
        entry.insert(entry.end(), {0x00, static_cast<unsigned char>(c)});
    EXPECT_EQ(find(after, entry).size(), 1u);
}

TEST(TitleSaveOnce, OtherHandheldEntriesStayByteForByte)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    const Bytes before = readBytes(video);
    Bytes date;
    for (const char c : std::string("2006/04/01 11:11:11"))
        date.insert(date.end(), {0x00, static_cast<unsigned char>(c)});
    const Bytes trackBox = {0x00, 0x00, 0x00, 0x34, 'u', 'u', 'i', 'd', 'U', 'S', 'M', 'T'};
    const Bytes constant = {0x00, 0x0C, 0x00, 0x00, 0x00, 0x0B, 0x55, 0xC4, 0x00, 0x00, 0x02, 0x1C};
    ASSERT_EQ(find(before, date).size(), 1u);
    ASSERT_EQ(saveTitle(video, u"Changed"), "");
    const Bytes after = readBytes(video);
    const TopBox moov = firstBox(after, "moov");
    const Bytes movie(after.begin() + static_cast<std::ptrdiff_t>(moov.offset), after.end());
    EXPECT_EQ(find(movie, date).size(), 1u);
    EXPECT_EQ(find(movie, trackBox).size(), 2u);
    EXPECT_EQ(find(movie, constant).size(), 1u);
    EXPECT_EQ(find(movie, bytesOf("Lavf")).size(), 0u) << "the encoder entry is UTF-16";
}

TEST(TitleSaveRefused, FragmentedVideo)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("Fragmented", folder);
    const Bytes before = readBytes(video);
    EXPECT_EQ(saveTitle(video, u"New"), "Fragmented.MP4: the video is fragmented; its title cannot be saved");
    EXPECT_TRUE(readBytes(video) == before);
}

TEST(TitleSaveRefused, ReadOnlyFile)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    const Bytes before = readBytes(video);
    ASSERT_EQ(::chmod(video.c_str(), 0444), 0);
    EXPECT_EQ(saveTitle(video, u"New"), "HandheldMovieLast.MP4: the file is read-only; the title was not saved");
    EXPECT_TRUE(readBytes(video) == before);
    EXPECT_EQ(openTitle(video).title, u"Old Title");
}

// Opens the video, lets `meddle` act on it, then saves on the same handle.
std::string saveAfter(const fs::path& video, const std::function<void()>& meddle)
{
    TitleLib* lib = TitleLibCreate();
    std::string text = "open failed";
    if (TitleLibOpen(lib, video.c_str()) != 0) {
        meddle();
        text = TitleLibSetTitle(lib, u"New") != 0 && TitleLibSave(lib) != 0 ? "" : TitleLibErrorText(lib);
    }
    TitleLibDestroy(lib);
    return text;
}

TEST(TitleSaveRefused, FileVanishedSinceOpen)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    EXPECT_EQ(saveAfter(video, [&] { fs::remove(video); }),
              "HandheldMovieLast.MP4: the file is no longer there; the title was not saved");
    EXPECT_FALSE(fs::exists(video));
}

TEST(TitleSaveRefused, FileGrewSinceOpen)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    Bytes grown;
    EXPECT_EQ(saveAfter(video,
                        [&] {
                            grown = readBytes(video);
                            grown.insert(grown.end(), {0, 0, 0, 8, 'f', 'r', 'e', 'e'});
                            writeBytes(video, grown);
                        }),
              "HandheldMovieLast.MP4: the file changed since it was opened; the title was not saved");
    EXPECT_TRUE(readBytes(video) == grown);
}

TEST(TitleSaveRefused, FileReplacedSinceOpen)
{
    TempFolder folder;
    const fs::path video = OriginalVideos::copy("HandheldMovieLast", folder);
    const fs::path other = OriginalVideos::copy("HandheldMovieFirst", folder);
    const Bytes replacement = readBytes(other);
    EXPECT_EQ(saveAfter(video, [&] { fs::rename(other, video); }),
              "HandheldMovieLast.MP4: the file changed since it was opened; the title was not saved");
    EXPECT_TRUE(readBytes(video) == replacement);
}

} // namespace
