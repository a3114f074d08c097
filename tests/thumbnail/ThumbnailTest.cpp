// Thumbnails decoded from real JPEG files: every colour space and coding,
// every size, and every kind of broken file.

#include "catalogue/Thumbnail.h"
#include "tests/thumbnail/JpegWriter.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Samples = std::vector<std::uint8_t>;
const Samples Red{220, 20, 20}, Green{20, 200, 20}, Blue{20, 20, 220}, White{255, 255, 255};

int AlphaOf(std::uint32_t pixel) { return int(pixel >> 24); }
int RedOf(std::uint32_t pixel) { return int((pixel >> 16) & 0xFF); }
int GreenOf(std::uint32_t pixel) { return int((pixel >> 8) & 0xFF); }
int BlueOf(std::uint32_t pixel) { return int(pixel & 0xFF); }

std::uint32_t PixelAt(const TThumbnail& thumbnail, int x, int y)
{
    return thumbnail.Pixels[std::size_t(y) * TThumbnail::Width + x];
}

// Opaque and within `tolerance` of the colour in every channel: JPEG is
// lossy, but not by that much.
testing::AssertionResult IsColour(std::uint32_t pixel, int red, int green, int blue, int tolerance = 30)
{
    if (AlphaOf(pixel) == 255 && std::abs(RedOf(pixel) - red) <= tolerance
        && std::abs(GreenOf(pixel) - green) <= tolerance && std::abs(BlueOf(pixel) - blue) <= tolerance)
        return testing::AssertionSuccess();
    char text[64];
    std::snprintf(text, sizeof text, "pixel 0x%08X is not about #%02X%02X%02X", pixel, red, green, blue);
    return testing::AssertionFailure() << text;
}

testing::AssertionResult IsTransparent(std::uint32_t pixel)
{
    if (AlphaOf(pixel) == 0)
        return testing::AssertionSuccess();
    char text[64];
    std::snprintf(text, sizeof text, "pixel 0x%08X is not transparent", pixel);
    return testing::AssertionFailure() << text;
}

class ThumbnailTest : public testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return folder.filePath(QString::fromStdString(name)).toStdString(); }

    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        const std::string path = PathOf(name);
        WriteFileBytes(path, bytes);
        return path;
    }

    std::optional<TThumbnail> Decode(const SamplePicture& picture, const JpegCoding& coding = {}) const
    {
        return DecodeThumbnail(Write("picture.THM", EncodeJpeg(picture, coding)));
    }

    // The centre of each quarter of the 75 x 60 thumbnail.
    static void ExpectQuarters(const TThumbnail& thumbnail, const Samples& topLeft, const Samples& topRight,
                               const Samples& bottomLeft)
    {
        EXPECT_TRUE(IsColour(PixelAt(thumbnail, 18, 15), topLeft[0], topLeft[1], topLeft[2]));
        EXPECT_TRUE(IsColour(PixelAt(thumbnail, 56, 15), topRight[0], topRight[1], topRight[2]));
        EXPECT_TRUE(IsColour(PixelAt(thumbnail, 18, 45), bottomLeft[0], bottomLeft[1], bottomLeft[2]));
        EXPECT_TRUE(IsTransparent(PixelAt(thumbnail, 56, 45)));
    }

    QTemporaryDir folder;
};

TEST_F(ThumbnailTest, PlaceholderIsOpaqueBlackEverywhere)
{
    const TThumbnail placeholder = TThumbnail::Placeholder();
    EXPECT_TRUE(std::all_of(placeholder.Pixels.begin(), placeholder.Pixels.end(),
                            [](std::uint32_t pixel) { return pixel == 0xFF000000u; }));
}

TEST_F(ThumbnailTest, HandheldSizedBaselinePictureKeepsItsQuartersInPlace)
{
    const auto thumbnail = Decode(MakeQuarters(160, 120, {Red, Green, Blue, White}));
    ASSERT_TRUE(thumbnail);
    ExpectQuarters(*thumbnail, Red, Green, Blue);
}

TEST_F(ThumbnailTest, WhitePictureIsTransparentEverywhere)
{
    const auto thumbnail = Decode(MakeQuarters(160, 120, {White, White, White, White}));
    ASSERT_TRUE(thumbnail);
    EXPECT_TRUE(std::all_of(thumbnail->Pixels.begin(), thumbnail->Pixels.end(),
                            [](std::uint32_t pixel) { return AlphaOf(pixel) == 0; }));
}

TEST_F(ThumbnailTest, NearWhiteStaysOpaque)
{
    const Samples paper{240, 240, 240};
    const auto thumbnail = Decode(MakeQuarters(160, 120, {paper, paper, paper, paper}));
    ASSERT_TRUE(thumbnail);
    EXPECT_TRUE(std::all_of(thumbnail->Pixels.begin(), thumbnail->Pixels.end(),
                            [](std::uint32_t pixel) { return IsColour(pixel, 240, 240, 240, 6); }));
}

TEST_F(ThumbnailTest, WidePictureIsSqueezedToFillTheWholeStamp)
{
    const SamplePicture wide = MakePicture(600, 50, 3, [](int x, int) { return x < 300 ? Red : Blue; });
    const auto thumbnail = Decode(wide);
    ASSERT_TRUE(thumbnail);
    for (int y : {0, 30, 59}) {
        EXPECT_TRUE(IsColour(PixelAt(*thumbnail, 2, y), 220, 20, 20)) << "row " << y;
        EXPECT_TRUE(IsColour(PixelAt(*thumbnail, 35, y), 220, 20, 20)) << "row " << y;
        EXPECT_TRUE(IsColour(PixelAt(*thumbnail, 40, y), 20, 20, 220)) << "row " << y;
        EXPECT_TRUE(IsColour(PixelAt(*thumbnail, 74, y), 20, 20, 220)) << "row " << y;
    }
}

TEST_F(ThumbnailTest, TallPictureIsStretchedToFillTheWholeStamp)
{
    const SamplePicture tall = MakePicture(16, 400, 3, [](int, int y) { return y < 200 ? Green : Red; });
    const auto thumbnail = Decode(tall);
    ASSERT_TRUE(thumbnail);
    for (int x : {0, 40, 74}) {
        EXPECT_TRUE(IsColour(PixelAt(*thumbnail, x, 1), 20, 200, 20)) << "column " << x;
        EXPECT_TRUE(IsColour(PixelAt(*thumbnail, x, 28), 20, 200, 20)) << "column " << x;
        EXPECT_TRUE(IsColour(PixelAt(*thumbnail, x, 32), 220, 20, 20)) << "column " << x;
        EXPECT_TRUE(IsColour(PixelAt(*thumbnail, x, 59), 220, 20, 20)) << "column " << x;
    }
}

TEST_F(ThumbnailTest, OnePixelPictureFillsTheStamp)
{
    const auto thumbnail = Decode(MakePicture(1, 1, 3, [](int, int) { return Green; }));
    ASSERT_TRUE(thumbnail);
    EXPECT_TRUE(std::all_of(thumbnail->Pixels.begin(), thumbnail->Pixels.end(),
                            [](std::uint32_t pixel) { return IsColour(pixel, 20, 200, 20); }));
}

// So small that JPEG's blocks blur the white quarter: only colours are
// looked at.
TEST_F(ThumbnailTest, PictureSmallerThanTheStampIsEnlarged)
{
    const auto thumbnail = Decode(MakeQuarters(16, 16, {Red, Green, Blue, {0, 0, 0}}));
    ASSERT_TRUE(thumbnail);
    EXPECT_TRUE(IsColour(PixelAt(*thumbnail, 18, 15), 220, 20, 20));
    EXPECT_TRUE(IsColour(PixelAt(*thumbnail, 56, 15), 20, 200, 20));
    EXPECT_TRUE(IsColour(PixelAt(*thumbnail, 18, 45), 20, 20, 220));
    EXPECT_TRUE(IsColour(PixelAt(*thumbnail, 56, 45), 0, 0, 0));
}

// Red, green and blue quarters and a white one, coded in different ways
// and sizes: each comes out with its colours in place and white masked.
struct QuartersCase {
    const char* Name;
    int Width;
    int Height;
    JpegCoding Coding;
};

class ThumbnailQuartersTest : public ThumbnailTest, public testing::WithParamInterface<QuartersCase> {};

TEST_P(ThumbnailQuartersTest, DecodesToItsQuarters)
{
    const QuartersCase& each = GetParam();
    const auto thumbnail = Decode(MakeQuarters(each.Width, each.Height, {Red, Green, Blue, White}), each.Coding);
    ASSERT_TRUE(thumbnail);
    ExpectQuarters(*thumbnail, Red, Green, Blue);
}

INSTANTIATE_TEST_SUITE_P(Codings, ThumbnailQuartersTest,
                         testing::Values(QuartersCase{"HugePhoto", 4000, 3000, {}},
                                         QuartersCase{"HugeProgressivePhoto", 3000, 2000, {JCS_YCbCr, true}},
                                         QuartersCase{"Progressive", 160, 120, {JCS_YCbCr, true}},
                                         QuartersCase{"StoredAsRgb", 160, 120, {JCS_RGB}}),
                         [](const testing::TestParamInfo<QuartersCase>& info) { return std::string(info.param.Name); });

TEST_F(ThumbnailTest, GreyscalePictureGivesGreyPixelsAndWhiteMask)
{
    JpegCoding grey;
    grey.Stored = JCS_GRAYSCALE;
    const auto thumbnail = Decode(MakeQuarters(160, 120, {{0}, {128}, {60}, {255}}), grey);
    ASSERT_TRUE(thumbnail);
    ExpectQuarters(*thumbnail, {0, 0, 0}, {128, 128, 128}, {60, 60, 60});
}

// Ink as the file stores it. With an Adobe marker 0 means full ink
// (Photoshop's inverted convention), without one 255 does.
SamplePicture InkQuarters(bool inverted)
{
    auto ink = [inverted](Samples samples) {
        if (inverted)
            for (auto& sample : samples)
                sample = std::uint8_t(255 - sample);
        return samples;
    };
    return MakeQuarters(160, 120, {ink({255, 0, 0, 0}), ink({0, 255, 0, 0}), ink({0, 0, 255, 0}), ink({0, 0, 0, 0})});
}
const Samples Cyan{0, 255, 255}, Magenta{255, 0, 255}, Yellow{255, 255, 0};

TEST_F(ThumbnailTest, AdobeCmykPictureIsReadAsInvertedInk)
{
    JpegCoding cmyk;
    cmyk.Stored = JCS_CMYK;
    const auto thumbnail = Decode(InkQuarters(true), cmyk);
    ASSERT_TRUE(thumbnail);
    ExpectQuarters(*thumbnail, Cyan, Magenta, Yellow);
}

TEST_F(ThumbnailTest, CmykPictureWithoutAdobeMarkerIsReadAsPlainInk)
{
    JpegCoding cmyk;
    cmyk.Stored = JCS_CMYK;
    cmyk.AdobeMarker = false;
    const auto thumbnail = Decode(InkQuarters(false), cmyk);
    ASSERT_TRUE(thumbnail);
    ExpectQuarters(*thumbnail, Cyan, Magenta, Yellow);
}

TEST_F(ThumbnailTest, AdobeYcckPictureIsReadAsInvertedInk)
{
    JpegCoding ycck;
    ycck.Stored = JCS_YCCK;
    const auto thumbnail = Decode(InkQuarters(true), ycck);
    ASSERT_TRUE(thumbnail);
    ExpectQuarters(*thumbnail, Cyan, Magenta, Yellow);
}

// Pictures made by another encoder than the one the other tests use.
class ImageMagickThumbnailTest : public ThumbnailTest {
protected:
    // `format` forces the output format whatever the name says.
    std::string Convert(const std::string& arguments, const std::string& name, const std::string& format = "") const
    {
        const std::string path = PathOf(name);
        const std::string command = "convert " + arguments + " '" + format + path + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return path;
    }
};

TEST_F(ImageMagickThumbnailTest, CmykPictureIsRed)
{
    const auto thumbnail = DecodeThumbnail(Convert("-size 80x60 xc:red -colorspace CMYK", "cmyk.jpg"));
    ASSERT_TRUE(thumbnail);
    EXPECT_TRUE(std::all_of(thumbnail->Pixels.begin(), thumbnail->Pixels.end(),
                            [](std::uint32_t pixel) { return IsColour(pixel, 255, 0, 0); }));
}

TEST_F(ImageMagickThumbnailTest, PngNamedThmGivesNoThumbnail)
{
    EXPECT_FALSE(DecodeThumbnail(Convert("-size 80x60 xc:red", "picture.THM", "png:")));
}

// Broken files: no thumbnail, nothing printed, and the caller goes on.
class BrokenThumbnailTest : public ThumbnailTest {
protected:
    void SetUp() override { testing::internal::CaptureStderr(); }
    void TearDown() override { EXPECT_EQ(testing::internal::GetCapturedStderr(), ""); }

    std::vector<std::uint8_t> GoodJpeg(const JpegCoding& coding = {}) const
    {
        return EncodeJpeg(MakeQuarters(160, 120, {Red, Green, Blue, White}), coding);
    }
};

// The offset of the first start-of-scan marker: everything before it is
// header.
std::size_t StartOfScan(const std::vector<std::uint8_t>& jpeg)
{
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA)
            return i;
    throw std::logic_error("no start of scan");
}

TEST_F(BrokenThumbnailTest, MissingFileGivesNoThumbnail)
{
    EXPECT_FALSE(DecodeThumbnail(PathOf("absent.THM")));
}

TEST_F(BrokenThumbnailTest, EmptyFileGivesNoThumbnail)
{
    EXPECT_FALSE(DecodeThumbnail(Write("empty.THM", {})));
}

TEST_F(BrokenThumbnailTest, FolderGivesNoThumbnail)
{
    std::filesystem::create_directory(PathOf("folder.THM"));
    EXPECT_FALSE(DecodeThumbnail(PathOf("folder.THM")));
}

// A good picture followed by a hole: a file of gigabytes could be made
// like that, and reading it would stall the listing for a minute.
TEST_F(BrokenThumbnailTest, OverSixteenMebibytesGivesNoThumbnail)
{
    const std::string path = Write("huge.THM", GoodJpeg());
    std::filesystem::resize_file(path, 16 * 1024 * 1024 + 1);
    EXPECT_FALSE(DecodeThumbnail(path));
    std::filesystem::resize_file(path, 16 * 1024 * 1024);
    EXPECT_TRUE(DecodeThumbnail(path));
}

// A pipe put in the thumbnail's place after the folder was listed: with
// no writer, a blocking open would wait forever. The alarm only ends a
// decode that hangs; one that works returns at once.
TEST_F(BrokenThumbnailTest, PipeGivesNoThumbnailWithoutWaiting)
{
    const std::string path = PathOf("pipe.THM");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(60);
        ::_exit(DecodeThumbnail(path) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the decode hung or decoded a pipe";
}

TEST_F(BrokenThumbnailTest, GarbageGivesNoThumbnail)
{
    std::vector<std::uint8_t> garbage(5000);
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = std::uint8_t(i * 151 + 7);
    EXPECT_FALSE(DecodeThumbnail(Write("garbage.THM", garbage)));
}

TEST_F(BrokenThumbnailTest, GarbageAfterJpegSignatureGivesNoThumbnail)
{
    std::vector<std::uint8_t> bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x02, 0x13, 0x37, 0x00, 0xFF};
    EXPECT_FALSE(DecodeThumbnail(Write("signature.THM", bytes)));
}

TEST_F(BrokenThumbnailTest, HeaderCutShortGivesNoThumbnail)
{
    std::vector<std::uint8_t> jpeg = GoodJpeg();
    jpeg.resize(StartOfScan(jpeg) / 2);
    EXPECT_FALSE(DecodeThumbnail(Write("header.THM", jpeg)));
}

TEST_F(BrokenThumbnailTest, PictureCutShortGivesNoThumbnail)
{
    std::vector<std::uint8_t> jpeg = GoodJpeg();
    const std::size_t scan = StartOfScan(jpeg);
    jpeg.resize(scan + (jpeg.size() - scan) / 2);
    EXPECT_FALSE(DecodeThumbnail(Write("half.THM", jpeg)));
}

TEST_F(BrokenThumbnailTest, ProgressivePictureCutShortGivesNoThumbnail)
{
    JpegCoding progressive;
    progressive.Progressive = true;
    std::vector<std::uint8_t> jpeg = GoodJpeg(progressive);
    jpeg.resize(jpeg.size() * 2 / 3);
    EXPECT_FALSE(DecodeThumbnail(Write("half.THM", jpeg)));
}

// Cameras leave stray bytes between segments; libjpeg only warns.
TEST_F(BrokenThumbnailTest, StrayBytesBeforeAMarkerAreToleratedSilently)
{
    std::vector<std::uint8_t> jpeg = GoodJpeg();
    const std::vector<std::uint8_t> stray{0x00, 0x11, 0x22, 0x33};
    jpeg.insert(jpeg.begin() + std::ptrdiff_t(StartOfScan(jpeg)), stray.begin(), stray.end());
    const auto thumbnail = DecodeThumbnail(Write("stray.THM", jpeg));
    ASSERT_TRUE(thumbnail);
    ExpectQuarters(*thumbnail, Red, Green, Blue);
}

// A progressive file whose last scan is repeated `extra` times: each
// repetition is only a warning to libjpeg, but thousands make a file
// that costs seconds.
std::vector<std::uint8_t> WithRepeatedLastScan(std::vector<std::uint8_t> jpeg, int extra)
{
    std::size_t lastScan = 0;
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA)
            lastScan = i;
    const std::vector<std::uint8_t> scan(jpeg.begin() + std::ptrdiff_t(lastScan), jpeg.end() - 2);
    for (int i = 0; i < extra; ++i)
        jpeg.insert(jpeg.end() - 2, scan.begin(), scan.end());
    return jpeg;
}

TEST_F(BrokenThumbnailTest, SomeRepeatedScansAreTolerated)
{
    JpegCoding progressive;
    progressive.Progressive = true;
    const auto thumbnail = DecodeThumbnail(Write("scans.THM", WithRepeatedLastScan(GoodJpeg(progressive), 50)));
    ASSERT_TRUE(thumbnail);
    ExpectQuarters(*thumbnail, Red, Green, Blue);
}

TEST_F(BrokenThumbnailTest, EndlessRepeatedScansGiveNoThumbnail)
{
    JpegCoding progressive;
    progressive.Progressive = true;
    EXPECT_FALSE(DecodeThumbnail(Write("scans.THM", WithRepeatedLastScan(GoodJpeg(progressive), 2000))));
}

} // namespace
