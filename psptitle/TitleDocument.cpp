#include "psptitle/TitleDocument.h"

#include "psptitle/BoxReader.h"
#include "psptitle/FileSpace.h"
#include "psptitle/HeaderWindow.h"
#include "psptitle/MovieRewriter.h"
#include "psptitle/Problem.h"
#include "psptitle/SaveRunner.h"
#include "psptitle/TitleBoxSave.h"
#include "psptitle/TitleExcerpt.h"

#include <algorithm>
#include <cerrno>

namespace psptitle {
namespace {

// A movie box this large is damage, not a video's index (a four-hour
// video's is a few megabytes).
constexpr std::uint64_t maxMovieSize = std::uint64_t{64} << 20;
// A movie box up to this size (a clip of a few seconds) is read whole.
constexpr std::uint64_t smallMovieSize = 16 * 1024;

[[noreturn]] void cannotOpen(int error)
{
    if (error == ENOENT)
        throw Problem("the file does not exist");
    throw Problem("the file cannot be opened (" + systemText(error) + ")");
}

// Reads the rendered movie box the way a later open will, before any of it
// reaches the file.
void checkRendered(const ByteVector& movie, const std::u16string& title)
{
    const ByteView header(movie.data(), std::min<std::size_t>(movie.size(), maxHeaderSize));
    Box root = readBoxHeader(header, 0, movie.size(), nullptr);
    if (root.type != fourCC("moov") || root.size != movie.size())
        throw Problem("the rewritten movie box does not check out; the title was not saved");
    indexNestedBoxes(movie, root);
    if (findTitlePlaces(movie, root).title(movie) != title)
        throw Problem("the rewritten movie box does not check out; the title was not saved");
}

} // namespace

TitleDocument::TitleDocument(Storage& storage, std::string path)
    : storage_(storage), path_(std::move(path)), state_(read())
{
}

std::unique_ptr<TitleDocument::State> TitleDocument::read() const
{
    // Opened without blocking, so a pipe named like a video is told apart
    // by the open file.
    std::unique_ptr<FileAccess> file;
    if (const int error = storage_.openForReading(path_, file); error != 0)
        cannotOpen(error);
    return readFrom(*file, Reading::TitleOnly);
}

std::unique_ptr<TitleDocument::State> TitleDocument::readFrom(FileAccess& file, Reading reading)
{
    auto state = std::make_unique<State>();
    state->reading = reading;
    if (const int error = file.identify(state->identity); error != 0)
        cannotOpen(error);
    if (state->identity.directory)
        throw Problem("this is a folder, not a video");
    if (!state->identity.regular)
        throw Problem("this is not a regular file, so it is not a video");
    if (state->identity.size == 0)
        throw Problem("the file is empty");

    HeaderWindow window(file, state->identity.size);
    state->layout = readFileLayout(window, state->identity.size);
    const Box& movieInFile = state->layout.movieBox();
    if (movieInFile.size > maxMovieSize)
        throw Problem("the movie box is too large to be real");
    state->movie = movieInFile;
    if (reading == Reading::WholeMovie) {
        state->movieBytes = readExactly(file, movieInFile.offset, static_cast<std::size_t>(movieInFile.size));
    } else {
        // A short clip's movie box is read in one call: its children's
        // headers would each take one.
        if (movieInFile.size <= smallMovieSize)
            window.preload(movieInFile.offset, static_cast<std::size_t>(movieInFile.size));
        state->movieBytes = readTitleExcerpt(window, movieInFile);
        state->movie.size = state->movieBytes.size();
        state->movie.headerSize = 8;
        state->movie.sizeForm = SizeForm::Compact;
    }
    state->movie.offset = 0;
    state->movie.childrenAt = state->movie.headerSize;
    indexNestedBoxes(state->movieBytes, state->movie);
    state->places = findTitlePlaces(state->movieBytes, state->movie);
    state->title = state->places.title(state->movieBytes);
    return state;
}

void TitleDocument::checkEditable(const State& whole)
{
    if (whole.layout.fragmented || whole.movie.child(fourCC("mvex")) != nullptr)
        throw Problem("the video is fragmented; its title cannot be saved");
}

std::unique_ptr<FileAccess> TitleDocument::openForWriting() const
{
    const PathFacts facts = storage_.inspect(path_);
    if (facts.error == ENOENT)
        throw Problem("the file is no longer there; the title was not saved");
    if (storage_.onReadOnlyMedium(path_))
        throw Problem("the medium is read-only; the title was not saved");
    if (facts.error == 0 && facts.isRegular && !facts.writable)
        throw Problem("the file is read-only; the title was not saved");
    std::unique_ptr<FileAccess> file;
    if (const int error = storage_.openForWriting(path_, file); error != 0) {
        if (error == ENOENT)
            throw Problem("the file is no longer there; the title was not saved");
        if (error == EROFS)
            throw Problem("the medium is read-only; the title was not saved");
        // The file's permissions let someone write it, just not this user.
        if (error == EACCES || error == EPERM)
            throw Problem("permission denied; the title was not saved");
        throw Problem("the file cannot be opened for writing (" + systemText(error) + ")");
    }
    return file;
}

std::unique_ptr<FileAccess> TitleDocument::openUnchanged(bool toWrite, const State& then,
                                                        std::unique_ptr<State>& now) const
{
    std::unique_ptr<FileAccess> file;
    if (toWrite) {
        file = openForWriting();
    } else if (const int error = storage_.openForReading(path_, file); error != 0) {
        if (error == ENOENT)
            throw Problem("the file is no longer there; the title was not saved");
        cannotOpen(error);
    }
    if (const int error = file->lock(toWrite); error != 0) {
        if (error == EWOULDBLOCK)
            throw Problem("another program is saving a title into the file; the title was not saved");
        // A medium without locks (some network shares) still takes saves;
        // the check below still refuses a file changed since it was read.
        if (error != ENOLCK && error != EOPNOTSUPP && error != ENOSYS && error != EINVAL)
            throw Problem("the file cannot be locked (" + systemText(error) + ")");
    }
    // The time stamp alone misses a change within its resolution (two
    // seconds on the handheld's medium), so the boxes and the title are
    // compared too; against a whole read, the whole movie box.
    now = readFrom(*file, Reading::WholeMovie);
    const auto sameBoxes = [](const FileLayout& a, const FileLayout& b) {
        return a.cutOffAt == b.cutOffAt &&
               std::equal(a.boxes.begin(), a.boxes.end(), b.boxes.begin(), b.boxes.end(), [](const Box& x, const Box& y) {
                   return x.offset == y.offset && x.size == y.size && x.type == y.type;
               });
    };
    const bool sameMovie =
        then.reading == Reading::WholeMovie ? now->movieBytes == then.movieBytes : now->title == then.title;
    if (!(now->identity == then.identity) || !sameMovie || !sameBoxes(now->layout, then.layout))
        throw Problem("the file changed since it was opened; the title was not saved");
    return file;
}

void TitleDocument::save(const std::u16string& title)
{
    // The whole movie box, read now: the open read only the title's parts.
    std::unique_ptr<State> whole;
    (void)openUnchanged(false, *state_, whole);
    checkEditable(*whole);
    // Everything that can refuse the edit runs before the first write.
    const ByteVector newMovie = renderRetitledMovie(whole->movieBytes, whole->movie, whole->places, title);
    checkRendered(newMovie, title);
    const FileSpace space = mapFileSpace(whole->layout);
    if (newMovie == whole->movieBytes && !space.traces)
        return;
    // The handheld's own layout takes the new title box alone; any other
    // gets its whole movie box rewritten.
    std::optional<SavePlan> titleBoxPlan = planTitleBoxSave(space, whole->movieBytes, whole->movie, newMovie);
    const SavePlan plan = titleBoxPlan ? std::move(*titleBoxPlan) : planSave(space, newMovie);
    std::unique_ptr<State> unchanged;
    const std::unique_ptr<FileAccess> file = openUnchanged(true, *whole, unchanged);
    runSavePlan(*file, whole->identity.size, plan);
    std::unique_ptr<State> saved;
    try {
        saved = readFrom(*file, Reading::TitleOnly);
    } catch (const Problem&) {
    }
    // The checks above should make this impossible.
    if (!saved || saved->title != title)
        throw Problem("the saved title does not read back");
    state_ = std::move(saved);
}

} // namespace psptitle
