#pragma once

// Text built in a fixed buffer without allocating, for code that runs in
// a signal handler: strings, decimal and hexadecimal numbers, and a UTC
// time stamp. Text that does not fit is cut off, never overruns.

#include <cstddef>
#include <cstdint>
#include <ctime>

class TSafeText {
public:
    TSafeText(char* buffer, std::size_t capacity);

    TSafeText& Add(const char* text);
    TSafeText& AddDecimal(std::int64_t value);
    TSafeText& AddHex(std::uint64_t value);
    // "yyyy-mm-dd hh:mm:ss UTC".
    TSafeText& AddUtcTime(std::time_t when);

    const char* Text() const { return FBuffer; }
    std::size_t Length() const { return FLength; }

private:
    void AddChar(char c);

    char* FBuffer;
    std::size_t FCapacity;
    std::size_t FLength = 0;
};
