// Title text crosses three encodings; broken input must never pass through
// as broken output.

#include "psptitle/TextCoding.h"

#include <gtest/gtest.h>

using namespace psptitle;

namespace {

TEST(TextCoding, RoundTripsEveryPlane)
{
    const std::u16string title = u"Café 東京 😀 𝄞";
    EXPECT_EQ(utf8ToUtf16(utf16ToUtf8(title)), title);
    EXPECT_EQ(utf16ToUtf8(title), "Café 東京 😀 𝄞");
}

TEST(TextCoding, BrokenUtf8BecomesReplacementCharacters)
{
    EXPECT_EQ(utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\uFFFD");            // overlong '/'
    EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");        // a surrogate
    EXPECT_EQ(utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD");    // past U+10FFFF
    EXPECT_EQ(utf8ToUtf16("end\xE6\x9D"), u"end\uFFFD");      // cut short
}

TEST(TextCoding, LoneSurrogatesBecomeReplacementCharacters)
{
    EXPECT_EQ(utf16ToUtf8(std::u16string(u"x") + char16_t(0xD83D)), "x\xEF\xBF\xBD");
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xDE00)) + u"y"), "\xEF\xBF\xBDy");
}

TEST(TextCoding, StrictDecodingRefusesWhatWouldNotRoundTrip)
{
    std::string problem;
    EXPECT_EQ(strictUtf8ToUtf16("Caf\xC3\xA9 \xEF\xBF\xBD", problem), u"Café \uFFFD");
    EXPECT_FALSE(strictUtf8ToUtf16(std::string("a\0b", 3), problem));
    EXPECT_EQ(problem, "the title holds a NUL character");
    EXPECT_FALSE(strictUtf8ToUtf16("a\xC0\x80", problem));
    EXPECT_EQ(problem, "the title holds an encoded NUL character (bytes C0 80)");
    EXPECT_FALSE(strictUtf8ToUtf16("ab\xFF", problem));
    EXPECT_EQ(problem, "the title is not valid UTF-8 (at byte 3)");
}

TEST(TextCoding, CharactersCountSurrogatePairsOnce)
{
    EXPECT_EQ(characterCount(u"a😀b"), 3u);
    EXPECT_EQ(charactersFitting(u"a😀b", 2), 1u);   // the pair does not fit in one unit
    EXPECT_EQ(charactersFitting(u"a😀b", 3), 2u);
}

TEST(TextCoding, BigEndianTextStopsAtNul)
{
    const ByteVector bytes = {std::byte{0}, std::byte{'H'}, std::byte{0x30}, std::byte{0x42},
                              std::byte{0}, std::byte{0},   std::byte{0},    std::byte{'x'}};
    EXPECT_EQ(decodeUtf16BigEndian(bytes), u"H\u3042");
    EXPECT_EQ(decodeUtf16BigEndian(ByteView(bytes).first(3)), u"H");  // odd byte left out
}

} // namespace
