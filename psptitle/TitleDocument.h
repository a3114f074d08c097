#pragma once

// One video opened by the title library: its layout, the parts of its
// movie box that hold a title (the only parts read besides box headers),
// and the file's identity at the time it was read, so a save can tell that
// the file was changed or replaced meanwhile. A save reads the whole movie
// box, which it rewrites.

#include "psptitle/FileLayout.h"
#include "psptitle/Storage.h"
#include "psptitle/TitlePlaces.h"

#include <memory>
#include <string>

namespace psptitle {

class TitleDocument {
public:
    // Reads the video at `path`. Throws Problem when it is not a
    // well-formed video.
    TitleDocument(Storage& storage, std::string path);
    TitleDocument(const TitleDocument&) = delete;
    TitleDocument& operator=(const TitleDocument&) = delete;

    [[nodiscard]] const std::u16string& title() const { return state_->title; }

    // Stores `title` in the file and reads the file again. Throws Problem;
    // the file then holds the old title. Saves of one file are kept apart
    // by a lock; a file that changed since it was read is refused. A save
    // of the title the file holds writes nothing (unless an interrupted
    // save left traces to clear).
    void save(const std::u16string& title);

private:
    // How much of the movie box a read takes.
    enum class Reading { TitleOnly, WholeMovie };

    // What one read found; the title places point into `movieBytes`, so a
    // state is never copied or moved once made.
    struct State {
        Reading reading = Reading::TitleOnly;
        FileIdentity identity;
        FileLayout layout;
        // The whole movie box, header included, or only its title excerpt.
        ByteVector movieBytes;
        Box movie;               // indexed with offsets into movieBytes
        TitlePlaces places;
        std::u16string title;
    };

    [[nodiscard]] std::unique_ptr<State> read() const;
    [[nodiscard]] static std::unique_ptr<State> readFrom(FileAccess& file, Reading reading);
    static void checkEditable(const State& whole);
    [[nodiscard]] std::unique_ptr<FileAccess> openForWriting() const;
    // Opens the file, locks it (exclusively to write), reads its whole
    // movie box and checks that the file is still the one `then` read.
    [[nodiscard]] std::unique_ptr<FileAccess> openUnchanged(bool toWrite, const State& then,
                                                            std::unique_ptr<State>& now) const;

    Storage& storage_;
    std::string path_;
    std::unique_ptr<State> state_;
};

} // namespace psptitle
