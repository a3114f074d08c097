#pragma once

// FFmpeg's output through a file descriptor we own (a staged file), so
// that the muxer's writes land where our flush and rename expect them
// and a failed write keeps its errno ("No space left on device") rather
// than FFmpeg's generic code.

#include <cstdint>

extern "C" {
#include <libavformat/avio.h>
}

namespace media {

class TDescriptorOutput {
public:
    // Writes to `descriptor` from its start; it stays open (its owner
    // closes it). Throws TMediaProblem when memory is out.
    explicit TDescriptorOutput(int descriptor);
    ~TDescriptorOutput();
    TDescriptorOutput(const TDescriptorOutput&) = delete;
    TDescriptorOutput& operator=(const TDescriptorOutput&) = delete;

    AVIOContext* Context() const { return FContext; }
    // The errno of the first write that failed; 0 while all went well.
    int Error() const { return FError; }

private:
    // FFmpeg 5 hands the bytes to write as a non-const buffer.
    static int Write(void* opaque, std::uint8_t* bytes, int size);
    static std::int64_t Seek(void* opaque, std::int64_t offset, int whence);

    int FDescriptor;
    std::int64_t FPosition = 0;
    std::int64_t FEnd = 0;
    int FError = 0;
    AVIOContext* FContext = nullptr;
};

} // namespace media
