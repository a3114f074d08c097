#include "psptitle/TitleDocument.h"

#include "psptitle/BoxReader.h"
#include "psptitle/FileSpace.h"
#include "psptitle/MovieRewriter.h"
#include "psptitle/Problem.h"
#include "psptitle/SaveRunner.h"

#include <algorithm>
#include <cerrno>

namespace psptitle {
namespace {

// A movie box this large is damage, not a video's index (a four-hour
// video's is a few megabytes).
constexpr std::uint64_t maxMovieSize = std::uint64_t{64} << 20;

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
    const PathFacts facts = storage_.inspect(path_);
    if (facts.error != 0)
        cannotOpen(facts.error);
    if (facts.isDirectory)
        throw Problem("this is a folder, not a video");
    if (!facts.isRegular)
        throw Problem("this is not a regular file, so it is not a video");
    std::unique_ptr<FileAccess> file;
    if (const int error = storage_.openForReading(path_, file); error != 0)
        cannotOpen(error);
    return readFrom(*file);
}

std::unique_ptr<TitleDocument::State> TitleDocument::readFrom(FileAccess& file)
{
    auto state = std::make_unique<State>();
    if (const int error = file.identify(state->identity); error != 0)
        cannotOpen(error);
    if (state->identity.size == 0)
        throw Problem("the file is empty");

    state->layout = readFileLayout(file, state->identity.size);
    const Box& movieInFile = state->layout.movieBox();
    if (movieInFile.size > maxMovieSize)
        throw Problem("the movie box is too large to be real");
    state->movieBytes = readExactly(file, movieInFile.offset, static_cast<std::size_t>(movieInFile.size));

    state->movie = movieInFile;
    state->movie.offset = 0;
    indexNestedBoxes(state->movieBytes, state->movie);
    state->places = findTitlePlaces(state->movieBytes, state->movie);
    state->title = state->places.title(state->movieBytes);
    return state;
}

void TitleDocument::checkEditable() const
{
    if (state_->layout.fragmented || state_->movie.child(fourCC("mvex")) != nullptr)
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

std::unique_ptr<FileAccess> TitleDocument::openUnchanged(bool toWrite) const
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
    // seconds on the handheld's medium), so the boxes are compared too.
    const std::unique_ptr<State> now = readFrom(*file);
    const State& then = *state_;
    const auto sameBoxes = [](const FileLayout& a, const FileLayout& b) {
        return a.cutOffAt == b.cutOffAt &&
               std::equal(a.boxes.begin(), a.boxes.end(), b.boxes.begin(), b.boxes.end(), [](const Box& x, const Box& y) {
                   return x.offset == y.offset && x.size == y.size && x.type == y.type;
               });
    };
    if (!(now->identity == then.identity) || now->movieBytes != then.movieBytes || !sameBoxes(now->layout, then.layout))
        throw Problem("the file changed since it was opened; the title was not saved");
    return file;
}

void TitleDocument::save(const std::u16string& title)
{
    checkEditable();
    // Everything that can refuse the edit runs before the first write.
    const State& old = *state_;
    const ByteVector newMovie = renderRetitledMovie(old.movieBytes, old.movie, old.places, title);
    checkRendered(newMovie, title);
    const FileSpace space = mapFileSpace(old.layout);
    const bool nothingToWrite = newMovie == old.movieBytes && !space.traces;
    const SavePlan plan = nothingToWrite ? SavePlan{} : planSave(space, newMovie);
    const std::unique_ptr<FileAccess> file = openUnchanged(!nothingToWrite);
    if (nothingToWrite)
        return;
    runSavePlan(*file, old.identity.size, plan);
    std::unique_ptr<State> saved;
    try {
        saved = readFrom(*file);
    } catch (const Problem&) {
    }
    // The checks above should make this impossible.
    if (!saved || saved->title != title)
        throw Problem("the saved title does not read back");
    state_ = std::move(saved);
}

} // namespace psptitle
