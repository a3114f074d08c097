// Files that are not well-formed videos are refused with a text naming
// the file, never a crash, a hang or a read out of bounds (this suite also
// runs under AddressSanitizer and UndefinedBehaviorSanitizer).

#include "VideoFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

using namespace fixtures;

namespace {

class Sources {
public:
    static void make()
    {
        folder_ = std::make_unique<TempFolder>();
        MakeVideo(*folder_ / "last.MP4", {"psp", "Kept"});
        MakeVideo(*folder_ / "first.MP4", {"psp", "Kept", true});
        MakePicture(*folder_ / "picture.jpg", "testsrc");
        movieLast_ = readBytes(*folder_ / "last.MP4");
        movieFirst_ = readBytes(*folder_ / "first.MP4");
        jpeg_ = readBytes(*folder_ / "picture.jpg");
    }
    static void release() { folder_.reset(); }
    static const Bytes& movieLast() { return movieLast_; }
    static const Bytes& movieFirst() { return movieFirst_; }
    static const Bytes& jpeg() { return jpeg_; }

private:
    static inline std::unique_ptr<TempFolder> folder_;
    static inline Bytes movieLast_, movieFirst_, jpeg_;
};

class Environment : public testing::Environment {
public:
    void SetUp() override { Sources::make(); }
    void TearDown() override { Sources::release(); }
};
const auto* const environment = testing::AddGlobalTestEnvironment(new Environment);

// The offset of the first box of `type` inside the handheld file's movie
// box (searching from the movie box on).
std::size_t boxInMovie(const Bytes& file, const std::string& type)
{
    const TopBox moov = firstBox(file, "moov");
    for (const std::size_t at : find(file, bytesOf(type))) {
        if (at >= moov.offset + 8)
            return at - 4;
    }
    throw std::runtime_error("no " + type);
}

// FFmpeg's handheld layout has an 8-byte 'free' before 'mdat' so the two
// can become one 64-bit 'mdat' header; this does that with `size`.
Bytes withLargeMediaSize(Bytes file, std::uint64_t size)
{
    const TopBox free = firstBox(file, "free");
    putU32(file, free.offset, 1);
    std::copy_n("mdat", 4, file.begin() + static_cast<std::ptrdiff_t>(free.offset + 4));
    putU32(file, free.offset + 8, static_cast<std::uint32_t>(size >> 32));
    putU32(file, free.offset + 12, static_cast<std::uint32_t>(size));
    return file;
}

std::uint64_t largeMediaSize(const Bytes& file)
{
    return 8 + firstBox(file, "mdat").size;
}

struct BrokenCase {
    std::string name;
    std::function<Bytes()> bytes;
    std::string expected;  // after "<name>.MP4: "
};

Bytes cut(Bytes file, std::size_t keep)
{
    file.resize(keep);
    return file;
}

Bytes withU32(Bytes file, std::size_t at, std::uint32_t value)
{
    putU32(file, at, value);
    return file;
}

Bytes nestedUserData(int depth)
{
    Bytes file = {0, 0, 0, 16, 'f', 't', 'y', 'p', 'i', 's', 'o', 'm', 0, 0, 2, 0};
    const std::size_t moovAt = file.size();
    file.insert(file.end(), {0, 0, 0, 0, 'm', 'o', 'o', 'v'});
    for (int i = 0; i < depth; ++i)
        file.insert(file.end(), {0, 0, 0, 0, 'u', 'd', 't', 'a'});
    for (int i = 0; i <= depth; ++i)
        putU32(file, moovAt + 8 * static_cast<std::size_t>(i), static_cast<std::uint32_t>(8 * (depth + 1 - i)));
    return file;
}

const std::vector<BrokenCase>& brokenCases()
{
    static const std::vector<BrokenCase> cases = {
        {"Jpeg", [] { return Sources::jpeg(); }, "the file is not an MP4 video"},
        {"Text", [] { return bytesOf("hello world, this is not a video\n"); }, "the file is not an MP4 video"},
        {"FourBytes", [] { return bytesOf("ftyp"); }, "the file is not an MP4 video"},
        {"CutInsideMovieBox",
         [] { return cut(Sources::movieLast(), Sources::movieLast().size() - 100); },
         "the file ends inside its movie box"},
        {"CutInsideMovieHeader",
         [] { return cut(Sources::movieLast(), firstBox(Sources::movieLast(), "moov").offset + 5); },
         "the file ends inside a box header"},
        {"CutInsideMediaData",
         [] { return cut(Sources::movieFirst(), Sources::movieFirst().size() - 100); },
         "the file ends inside its 'mdat' box"},
        {"NoMovieBox",
         [] { return cut(Sources::movieLast(), firstBox(Sources::movieLast(), "moov").offset); },
         "the file has no movie box ('moov'), so it is not a playable video"},
        {"BoxSmallerThanHeader",
         [] { return withU32(Sources::movieLast(), boxInMovie(Sources::movieLast(), "mvhd"), 4); },
         "box 'mvhd' is smaller than its own header"},
        {"ChildRunsPastParent",
         [] { return withU32(Sources::movieFirst(), boxInMovie(Sources::movieFirst(), "trak"), 0x100000); },
         "box 'trak' runs past the end of its parent 'moov'"},
        {"TopLevelRunsPastFile",
         [] { return withU32(Sources::movieFirst(), firstBox(Sources::movieFirst(), "moov").offset, 0x7FFFFFF0); },
         "the file ends inside its movie box"},
        {"LargeSizeOverflows",
         [] { return withLargeMediaSize(Sources::movieLast(), 0xFFFFFFFFFFFFFFF0ull); },
         "box 'mdat' states a 64-bit size too large to be real"},
        {"LargeSizePastFile",
         [] {
             const Bytes& file = Sources::movieLast();
             return withLargeMediaSize(file, file.size() - firstBox(file, "free").offset + 1);
         },
         "the file ends inside its 'mdat' box"},
        {"LargeSizeBelowHeader",
         [] { return withLargeMediaSize(Sources::movieLast(), 15); },
         "box 'mdat' is smaller than its own header"},
        {"HandheldEntryRunsPastItsTable",
         [] {
             Bytes file = Sources::movieLast();
             Bytes title;
             for (const char c : std::string("Kept"))
                 title.insert(title.end(), {0, static_cast<unsigned char>(c)});
             const std::size_t at = find(file, title).at(0) - 10;
             file[at] = 0xFF;
             return file;
         },
         "the handheld's title box (USMT) is damaged"},
        {"NestedTooDeeply", [] { return nestedUserData(40); }, "boxes are nested too deeply"},
    };
    return cases;
}

class BrokenFile : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenFile, IsRefusedWithAText)
{
    TempFolder folder;
    const fs::path video = folder / (GetParam().name + ".MP4");
    const Bytes bytes = GetParam().bytes();
    writeBytes(video, bytes);
    const Opened opened = openTitle(video);
    EXPECT_FALSE(opened.ok);
    EXPECT_EQ(opened.title, u"");
    EXPECT_EQ(opened.errorText, GetParam().name + ".MP4: " + GetParam().expected);
    EXPECT_NE(saveTitle(video, u"New"), "");
    EXPECT_TRUE(readBytes(video) == bytes);
}

INSTANTIATE_TEST_SUITE_P(Damage, BrokenFile, testing::ValuesIn(brokenCases()),
                         [](const testing::TestParamInfo<BrokenCase>& info) { return info.param.name; });

TEST(OddFile, MissingFile)
{
    TempFolder folder;
    EXPECT_EQ(openTitle(folder / "gone.MP4").errorText, "gone.MP4: the file does not exist");
}

TEST(OddFile, EmptyFile)
{
    TempFolder folder;
    writeBytes(folder / "empty.MP4", {});
    EXPECT_EQ(openTitle(folder / "empty.MP4").errorText, "empty.MP4: the file is empty");
}

TEST(OddFile, FolderNamedLikeAVideo)
{
    TempFolder folder;
    fs::create_directory(folder / "folder.MP4");
    EXPECT_EQ(openTitle(folder / "folder.MP4").errorText, "folder.MP4: this is a folder, not a video");
}

TEST(OddFile, PipeNamedLikeAVideo)
{
    TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "pipe.MP4").c_str(), 0600), 0);
    EXPECT_EQ(openTitle(folder / "pipe.MP4").errorText, "pipe.MP4: this is not a regular file, so it is not a video");
}

TEST(OddButSound, SixtyFourBitMediaSizeIsRead)
{
    TempFolder folder;
    const fs::path video = folder / "large.MP4";
    writeBytes(video, withLargeMediaSize(Sources::movieLast(), largeMediaSize(Sources::movieLast())));
    ASSERT_EQ(decodeErrors(video), "");
    EXPECT_EQ(openTitle(video).title, u"Kept");
    ASSERT_EQ(saveTitle(video, u"Saved"), "");
    EXPECT_EQ(openTitle(video).title, u"Saved");
    EXPECT_EQ(decodeErrors(video), "");
}

TEST(OddButSound, MovieBoxRunningToTheEndOfTheFile)
{
    TempFolder folder;
    const fs::path video = folder / "toend.MP4";
    writeBytes(video, withU32(Sources::movieLast(), firstBox(Sources::movieLast(), "moov").offset, 0));
    EXPECT_EQ(openTitle(video).title, u"Kept");
    ASSERT_EQ(saveTitle(video, u"Saved"), "");
    EXPECT_EQ(openTitle(video).title, u"Saved");
    EXPECT_EQ(decodeErrors(video), "");
}

TEST(OddButSound, LastBoxWithoutStatedSize)
{
    // Found by the fuzzer: a box after the movie box whose size field is 0
    // (to the end of the file) would swallow a movie box appended after it.
    TempFolder folder;
    const fs::path video = folder / "open.MP4";
    Bytes bytes = Sources::movieLast();
    bytes.insert(bytes.end(), {0, 0, 0, 0, 'x', 't', 'r', 'a', 1, 2, 3});
    writeBytes(video, bytes);
    EXPECT_EQ(openTitle(video).title, u"Kept");
    EXPECT_EQ(saveTitle(video, u"New"),
              "open.MP4: the file's last box does not state its size; its title cannot be saved");
    EXPECT_TRUE(readBytes(video) == bytes);
}

TEST(OddButSound, TrailingFreeBoxWithoutStatedSizeIsCut)
{
    TempFolder folder;
    const fs::path video = folder / "open.MP4";
    Bytes bytes = Sources::movieLast();
    const std::size_t end = bytes.size();
    bytes.insert(bytes.end(), {0, 0, 0, 0, 's', 'k', 'i', 'p', 1, 2, 3});
    writeBytes(video, bytes);
    EXPECT_EQ(openTitle(video).title, u"Kept");
    ASSERT_EQ(saveTitle(video, u"New"), "");
    EXPECT_EQ(openTitle(video).title, u"New");
    // The skip box is gone: the movie box ends the file again.
    const Bytes after = readBytes(video);
    EXPECT_EQ(firstBox(after, "moov").offset + firstBox(after, "moov").size, after.size());
    EXPECT_LE(after.size(), end + 1024);
    EXPECT_EQ(decodeErrors(video), "");
}

// QuickTime may close a list of boxes with a 32-bit zero; a movie box
// that ends so takes one save after another.
TEST(OddButSound, MovieBoxEndingInClosingZerosTakesSaves)
{
    TempFolder folder;
    const fs::path video = folder / "zeros.MP4";
    Bytes bytes = Sources::movieLast();
    const TopBox moov = firstBox(bytes, "moov");
    bytes.insert(bytes.end(), {0, 0, 0, 0});
    putU32(bytes, moov.offset, static_cast<std::uint32_t>(moov.size + 4));
    writeBytes(video, bytes);
    for (const std::u16string title : {u"One", u"A second, longer title", u"3"}) {
        ASSERT_EQ(saveTitle(video, title), "");
        EXPECT_EQ(openTitle(video).title, title);
    }
    EXPECT_EQ(decodeErrors(video), "");
}

TEST(OddButSound, TrailingZeroBytesAreCut)
{
    TempFolder folder;
    const fs::path video = folder / "zeros.MP4";
    Bytes bytes = Sources::movieLast();
    bytes.insert(bytes.end(), {0, 0, 0, 0});
    writeBytes(video, bytes);
    EXPECT_EQ(openTitle(video).title, u"Kept");
    ASSERT_EQ(saveTitle(video, u"New"), "");
    EXPECT_EQ(openTitle(video).title, u"New");
    EXPECT_EQ(tidinessProblem(readBytes(video)), "");
    EXPECT_EQ(decodeErrors(video), "");
}

} // namespace
