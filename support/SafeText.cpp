#include "support/SafeText.h"

TSafeText::TSafeText(char* buffer, std::size_t capacity) : FBuffer(buffer), FCapacity(capacity)
{
    if (FCapacity > 0)
        FBuffer[0] = '\0';
}

void TSafeText::AddChar(char c)
{
    // One byte stays for the terminating NUL.
    if (FLength + 1 >= FCapacity)
        return;
    FBuffer[FLength++] = c;
    FBuffer[FLength] = '\0';
}

TSafeText& TSafeText::Add(const char* text)
{
    for (; text != nullptr && *text != '\0'; ++text)
        AddChar(*text);
    return *this;
}

TSafeText& TSafeText::AddDecimal(std::int64_t value)
{
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    if (value < 0)
        AddChar('-');
    char digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (count > 0)
        AddChar(digits[--count]);
    return *this;
}

TSafeText& TSafeText::AddHex(std::uint64_t value)
{
    static constexpr char kHex[] = "0123456789abcdef";
    Add("0x");
    for (int shift = 60; shift >= 0; shift -= 4)
        AddChar(kHex[(value >> shift) & 0xF]);
    return *this;
}

namespace {

void AddTwoDigits(TSafeText& text, unsigned value)
{
    if (value < 10)
        text.Add("0");
    text.AddDecimal(value);
}

} // namespace

TSafeText& TSafeText::AddUtcTime(std::time_t when)
{
    // gmtime_r is not promised to be safe in a signal handler; the
    // calendar is simple enough to work out here (days to civil date).
    const std::int64_t seconds = when;
    std::int64_t days = seconds / 86400;
    std::int64_t secondOfDay = seconds % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const unsigned day = static_cast<unsigned>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const unsigned month = static_cast<unsigned>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

    AddDecimal(year).Add("-");
    AddTwoDigits(*this, month);
    Add("-");
    AddTwoDigits(*this, day);
    Add(" ");
    AddTwoDigits(*this, static_cast<unsigned>(secondOfDay / 3600));
    Add(":");
    AddTwoDigits(*this, static_cast<unsigned>(secondOfDay / 60 % 60));
    Add(":");
    AddTwoDigits(*this, static_cast<unsigned>(secondOfDay % 60));
    return Add(" UTC");
}
