// Reading titles from videos FFmpeg makes, in every layout it writes.

#include "FaultyStorage.h"
#include "VideoFixtures.h"

#include "psptitle/TitleLibSeam.h"
#include "psptitle/psptitle.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>

using namespace fixtures;

namespace {

struct ReadCase {
    std::string name;
    VideoRecipe recipe;
    std::u16string expected;
};

// FFmpeg stores a code point above U+FFFF as its low 16 bits (no
// surrogates), so that is what its handheld files hold.
const ReadCase readCases[] = {
    {"HandheldAscii", {"psp", "Holiday 2006"}, u"Holiday 2006"},
    {"HandheldAccented", {"psp", "Café à la crème"}, u"Café à la crème"},
    {"HandheldCjk", {"psp", "東京の夏"}, u"東京の夏"},
    {"HandheldBeyondBmpAsFfmpegStoresIt", {"psp", "Smile 😀"}, u"Smile \uF600"},
    {"HandheldEmptyTitle", {"psp", ""}, u""},
    {"HandheldNoTitle", {"psp", std::nullopt}, u""},
    {"HandheldMovieFirst", {"psp", "Moov First", true}, u"Moov First"},
    {"HandheldBitexactCountsAMissingEntry", {"psp", "Bit Exact", false, false, true}, u"Bit Exact"},
    {"Mp4Standard", {"mp4", "Standard Title"}, u"Standard Title"},
    {"Mp4StandardFaststart", {"mp4", "Standard Fast", true}, u"Standard Fast"},
    {"Mp4NoTitle", {"mp4", std::nullopt}, u""},
    {"QuickTime", {"mov", "QT Title"}, u"QT Title"},
    {"QuickTimeFaststart", {"mov", "QT Fast", true}, u"QT Fast"},
    {"Mp4Fragmented", {"mp4", "Fragmented", false, true}, u"Fragmented"},
};

class TitleRead : public testing::TestWithParam<ReadCase> {
public:
    static void SetUpTestSuite()
    {
        folder_ = std::make_unique<TempFolder>();
        for (const ReadCase& each : readCases)
            MakeVideo(*folder_ / (each.name + ".MP4"), each.recipe);
    }
    static void TearDownTestSuite() { folder_.reset(); }

protected:
    static fs::path video(const std::string& name) { return *folder_ / (name + ".MP4"); }

private:
    static inline std::unique_ptr<TempFolder> folder_;
};

TEST_P(TitleRead, ReadsTheTitleFfmpegWrote)
{
    const Opened opened = openTitle(video(GetParam().name));
    ASSERT_TRUE(opened.ok) << opened.errorText;
    EXPECT_EQ(opened.title, GetParam().expected);
    EXPECT_EQ(opened.errorText, "");
}

INSTANTIATE_TEST_SUITE_P(Ffmpeg, TitleRead, testing::ValuesIn(readCases),
                         [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

// The movie box of an hour's video indexes the hour in megabytes; a
// title read reads the title's boxes and the headers on the way, and a
// save still works from the whole movie box.
TEST(TitleReadHandle, AMovieLengthVideosTitleIsReadWithoutItsMovieBox)
{
    TempFolder folder;
    const fs::path video = folder / "hour.MP4";
    VideoRecipe hour;
    hour.title = "A long film";
    hour.loops = 3599;
    MakeVideo(video, hour);
    const Bytes before = readBytes(video);
    ASSERT_GT(firstBox(before, "moov").size, 1000000u);

    auto storage = std::make_unique<FaultyStorage>(0, FaultyStorage::Mode::Failure, EIO);
    const FaultyStorage& counted = *storage;
    TitleLib* lib = TitleLibCreateWithStorage(std::move(storage));
    ASSERT_NE(TitleLibOpen(lib, video.c_str()), 0) << TitleLibErrorText(lib);
    EXPECT_EQ(std::u16string(TitleLibGetTitle(lib)), u"A long film");
    EXPECT_LE(counted.bytesRead(), 64u * 1024);
    EXPECT_NE(TitleLibSetTitle(lib, u"Retitled"), 0);
    EXPECT_NE(TitleLibSave(lib), 0) << TitleLibErrorText(lib);
    TitleLibDestroy(lib);

    EXPECT_EQ(openTitle(video).title, u"Retitled");
    EXPECT_TRUE(boxesKeptInPlace(before, readBytes(video)));
}

TEST(TitleReadHandle, GetTitleWithoutAnOpenFileIsEmpty)
{
    TitleLib* lib = TitleLibCreate();
    ASSERT_NE(lib, nullptr);
    EXPECT_EQ(std::u16string(TitleLibGetTitle(lib)), u"");
    EXPECT_EQ(TitleLibSave(lib), 0);
    EXPECT_NE(std::string(TitleLibErrorText(lib)), "");
    TitleLibClearError(lib);
    EXPECT_EQ(std::string(TitleLibErrorText(lib)), "");
    TitleLibDestroy(lib);
}

TEST(TitleReadHandle, HandheldTitleWinsOverTheStandardTag)
{
    // A handheld file whose standard tag says something else, as a tagger
    // that ignores the handheld's entry would leave it.
    TempFolder folder;
    const fs::path video = folder / "both.MP4";
    MakeVideo(video, {"psp", "Handheld"});
    TempFolder other;
    const fs::path standard = other / "standard.MP4";
    MakeVideo(standard, {"mp4", "Standard"});
    // Graft the standard file's udta into the handheld file's moov.
    Bytes handheld = readBytes(video);
    const Bytes donor = readBytes(standard);
    const auto udtaAt = find(donor, bytesOf("udta")).at(0) - 4;
    const Bytes udta(donor.begin() + static_cast<std::ptrdiff_t>(udtaAt),
                     donor.begin() + static_cast<std::ptrdiff_t>(udtaAt + readU32(donor, udtaAt)));
    const TopBox moov = firstBox(handheld, "moov");
    ASSERT_EQ(moov.offset + moov.size, handheld.size());
    handheld.insert(handheld.end(), udta.begin(), udta.end());
    putU32(handheld, moov.offset, static_cast<std::uint32_t>(moov.size + udta.size()));
    writeBytes(video, handheld);
    ASSERT_EQ(probedTitle(video), "Standard");

    const Opened opened = openTitle(video);
    ASSERT_TRUE(opened.ok) << opened.errorText;
    EXPECT_EQ(opened.title, u"Handheld");
}

} // namespace
