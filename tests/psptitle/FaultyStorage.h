#pragma once

// The file system with a fault put in on purpose: the n-th write, flush or
// truncate of any file opened for writing fails. As a failure, only that
// call fails and the library may clean up after it; as a crash, that call
// and every later one fail, so the file stays as the medium held it at the
// moment the process was killed or the machine stopped. A torn crash also
// lets the first half of the n-th call's bytes through, when it is a
// write, as a kill in the middle of a long write does.

#include "psptitle/Storage.h"

namespace fixtures {

class FaultyStorage final : public psptitle::Storage {
public:
    enum class Mode { Failure, Crash, TornCrash };

    FaultyStorage(std::size_t failingCall, Mode mode, int error);

    // How many writes, flushes and truncations were asked for.
    [[nodiscard]] std::size_t calls() const { return calls_; }
    // Makes opening for writing fail with `error`.
    void refuseWriting(int error) { writeOpenError_ = error; }
    // Makes every read fail with `error`.
    void refuseReading(int error) { readError_ = error; }
    void pretendReadOnlyMedium() { readOnlyMedium_ = true; }

    psptitle::PathFacts inspect(const std::string& path) override;
    int openForReading(const std::string& path, std::unique_ptr<psptitle::FileAccess>& file) override;
    int openForWriting(const std::string& path, std::unique_ptr<psptitle::FileAccess>& file) override;
    bool onReadOnlyMedium(const std::string& path) override;

    // Decides the fate of the next mutating call: 0 lets it through.
    int nextCall();
    int readError() const { return readError_; }
    // Bytes read from every file opened through this storage.
    [[nodiscard]] std::uint64_t bytesRead() const { return bytesRead_; }
    void countRead(std::size_t bytes) { bytesRead_ += bytes; }
    // Whether the call that nextCall() just failed lets part of its bytes
    // through.
    [[nodiscard]] bool tearsFailedCall() const { return mode_ == Mode::TornCrash && calls_ == failingCall_; }

private:
    std::unique_ptr<psptitle::Storage> real_;
    std::size_t failingCall_;
    Mode mode_;
    int error_;
    std::size_t calls_ = 0;
    int writeOpenError_ = 0;
    int readError_ = 0;
    bool readOnlyMedium_ = false;
    std::uint64_t bytesRead_ = 0;
};

} // namespace fixtures
