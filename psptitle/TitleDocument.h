#pragma once

// One video opened by the title library: its layout, its movie box (the
// only part read besides box headers), where its title lives, and the
// file's identity at the time it was read, so a save can tell that the
// file was changed or replaced meanwhile.

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
    // What one read found; the title places point into `movie`, so a
    // state is never copied or moved once made.
    struct State {
        FileIdentity identity;
        FileLayout layout;
        ByteVector movieBytes;   // the whole movie box, header included
        Box movie;               // indexed with offsets into movieBytes
        TitlePlaces places;
        std::u16string title;
    };

    [[nodiscard]] std::unique_ptr<State> read() const;
    [[nodiscard]] static std::unique_ptr<State> readFrom(FileAccess& file);
    void checkEditable() const;
    [[nodiscard]] std::unique_ptr<FileAccess> openForWriting() const;
    // Opens the file, locks it (exclusively to write) and checks that it is
    // still what was read.
    [[nodiscard]] std::unique_ptr<FileAccess> openUnchanged(bool toWrite) const;

    Storage& storage_;
    std::string path_;
    std::unique_ptr<State> state_;
};

} // namespace psptitle
