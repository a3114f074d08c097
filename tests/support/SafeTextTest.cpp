// The signal-safe text of the crash report: numbers, times, cut-off.

#include "support/SafeText.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

TEST(SafeText, NumbersAndText)
{
    char buffer[128];
    TSafeText text(buffer, sizeof buffer);
    text.Add("pid ").AddDecimal(0).Add(" ").AddDecimal(-42).Add(" ").AddDecimal(9223372036854775807LL).Add(" ");
    text.AddHex(0xdeadbeef);
    EXPECT_STREQ(text.Text(), "pid 0 -42 9223372036854775807 0x00000000deadbeef");
}

TEST(SafeText, TextThatDoesNotFitIsCutWithinTheBuffer)
{
    char buffer[8] = {};
    buffer[7] = 'X';
    TSafeText text(buffer, 7);
    text.Add("longer than the buffer").AddDecimal(12345);
    EXPECT_STREQ(text.Text(), "longer");
    EXPECT_EQ(text.Length(), 6u);
    EXPECT_EQ(buffer[7], 'X');
}

TEST(SafeText, UtcTimeAgreesWithTheCLibrary)
{
    // Leap days, century rules, the epoch and times before it.
    for (const std::time_t when : {std::time_t{0}, std::time_t{951782400}, std::time_t{951868799},
                                   std::time_t{1709164800}, std::time_t{4107542399}, std::time_t{-86401}}) {
        char buffer[64];
        TSafeText text(buffer, sizeof buffer);
        text.AddUtcTime(when);
        std::tm parts{};
        ::gmtime_r(&when, &parts);
        char expected[64];
        std::strftime(expected, sizeof expected, "%Y-%m-%d %H:%M:%S UTC", &parts);
        EXPECT_STREQ(text.Text(), expected) << when;
    }
}

} // namespace
