#include "media/codecs/DescriptorOutput.h"

#include "media/MediaProblem.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace media {

namespace {

constexpr int kBufferSize = 256 * 1024;

} // namespace

TDescriptorOutput::TDescriptorOutput(int descriptor) : FDescriptor(descriptor)
{
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    if (buffer == nullptr)
        throw TMediaProblem("out of memory");
    FContext = avio_alloc_context(buffer, kBufferSize, 1, this, nullptr, &TDescriptorOutput::Write,
                                  &TDescriptorOutput::Seek);
    if (FContext == nullptr) {
        av_free(buffer);
        throw TMediaProblem("out of memory");
    }
}

TDescriptorOutput::~TDescriptorOutput()
{
    av_freep(&FContext->buffer);
    avio_context_free(&FContext);
}

int TDescriptorOutput::Write(void* opaque, std::uint8_t* bytes, int size)
{
    auto& self = *static_cast<TDescriptorOutput*>(opaque);
    if (self.FError != 0)
        return AVERROR(self.FError);
    int written = 0;
    while (written < size) {
        const ssize_t now = pwrite(self.FDescriptor, bytes + written, static_cast<std::size_t>(size - written),
                                   static_cast<off_t>(self.FPosition));
        if (now < 0 && errno == EINTR)
            continue;
        if (now <= 0) {
            self.FError = now < 0 ? errno : ENOSPC;
            return AVERROR(self.FError);
        }
        written += static_cast<int>(now);
        self.FPosition += now;
    }
    self.FEnd = std::max(self.FEnd, self.FPosition);
    return written;
}

std::int64_t TDescriptorOutput::Seek(void* opaque, std::int64_t offset, int whence)
{
    auto& self = *static_cast<TDescriptorOutput*>(opaque);
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE: return self.FEnd;
    case SEEK_SET: self.FPosition = offset; break;
    case SEEK_CUR: self.FPosition += offset; break;
    case SEEK_END: self.FPosition = self.FEnd + offset; break;
    default: return AVERROR(EINVAL);
    }
    return self.FPosition;
}

} // namespace media
