#include "FaultyStorage.h"

namespace fixtures {
namespace {

class FaultyFile final : public psptitle::FileAccess {
public:
    FaultyFile(std::unique_ptr<psptitle::FileAccess> real, FaultyStorage& storage)
        : real_(std::move(real)), storage_(storage)
    {
    }

    int readAt(std::uint64_t offset, std::span<std::byte> buffer, std::size_t& got) override
    {
        if (storage_.readError() != 0)
            return storage_.readError();
        const int error = real_->readAt(offset, buffer, got);
        storage_.countRead(got);
        return error;
    }
    int writeAt(std::uint64_t offset, std::span<const std::byte> bytes) override
    {
        const int error = storage_.nextCall();
        if (error != 0 && storage_.tearsFailedCall())
            (void)real_->writeAt(offset, bytes.first(bytes.size() / 2));
        return error != 0 ? error : real_->writeAt(offset, bytes);
    }
    int flush() override
    {
        const int error = storage_.nextCall();
        return error != 0 ? error : real_->flush();
    }
    int truncate(std::uint64_t size) override
    {
        const int error = storage_.nextCall();
        return error != 0 ? error : real_->truncate(size);
    }
    int identify(psptitle::FileIdentity& identity) override { return real_->identify(identity); }
    int lock(bool exclusive) override { return real_->lock(exclusive); }

private:
    std::unique_ptr<psptitle::FileAccess> real_;
    FaultyStorage& storage_;
};

} // namespace

FaultyStorage::FaultyStorage(std::size_t failingCall, Mode mode, int error)
    : real_(psptitle::makePosixStorage()), failingCall_(failingCall), mode_(mode), error_(error)
{
}

int FaultyStorage::nextCall()
{
    ++calls_;
    if (calls_ == failingCall_ || (mode_ != Mode::Failure && calls_ > failingCall_))
        return error_;
    return 0;
}

psptitle::PathFacts FaultyStorage::inspect(const std::string& path)
{
    return real_->inspect(path);
}

int FaultyStorage::openForReading(const std::string& path, std::unique_ptr<psptitle::FileAccess>& file)
{
    std::unique_ptr<psptitle::FileAccess> real;
    if (const int error = real_->openForReading(path, real); error != 0)
        return error;
    file = std::make_unique<FaultyFile>(std::move(real), *this);
    return 0;
}

int FaultyStorage::openForWriting(const std::string& path, std::unique_ptr<psptitle::FileAccess>& file)
{
    if (writeOpenError_ != 0)
        return writeOpenError_;
    std::unique_ptr<psptitle::FileAccess> real;
    if (const int error = real_->openForWriting(path, real); error != 0)
        return error;
    file = std::make_unique<FaultyFile>(std::move(real), *this);
    return 0;
}

bool FaultyStorage::onReadOnlyMedium(const std::string& path)
{
    return readOnlyMedium_ || real_->onReadOnlyMedium(path);
}

} // namespace fixtures
