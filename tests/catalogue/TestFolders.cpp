#include "tests/catalogue/TestFolders.h"

#include "tests/common/MakeMedia.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Media shared by the tests of one program, removed when it ends.
class SuiteMedia {
public:
    static SuiteMedia& Get()
    {
        static SuiteMedia media;
        return media;
    }

    const std::string& Video()
    {
        if (FVideo.empty()) {
            FVideo = FFolder / "video.MP4";
            VideoRecipe recipe;
            recipe.title = "T";
            MakeVideo(FVideo, recipe);
        }
        return FVideo;
    }

    const std::string& Thumbnail()
    {
        if (FThumbnail.empty()) {
            FThumbnail = FFolder / "thumb.jpg";
            MakePicture(FThumbnail, "testsrc");
        }
        return FThumbnail;
    }

private:
    TempFolder FFolder;
    std::string FVideo;
    std::string FThumbnail;
};

} // namespace

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string PatternBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

void SetModified(const std::string& path, std::int64_t seconds)
{
    const timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        throw std::runtime_error("cannot set the time of " + path);
}

const std::string& HandheldVideo()
{
    return SuiteMedia::Get().Video();
}

const std::string& ThumbnailPicture()
{
    return SuiteMedia::Get().Thumbnail();
}

void CopyBytes(const std::string& from, const std::string& to)
{
    WriteFile(to, ReadFile(from));
}

ScratchMedium::ScratchMedium(std::string folder, const std::string& size) : FFolder(std::move(folder))
{
    std::filesystem::create_directories(FFolder);
    const std::string options = "size=" + size;
    if (::mount("tmpfs", FFolder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0)
        FMounted = true;
    else
        FProblem = "cannot mount a small tmpfs here (" + std::string(std::strerror(errno))
                 + "); this case needs root with mount rights";
}

ScratchMedium::~ScratchMedium()
{
    if (FMounted)
        ::umount2(FFolder.c_str(), MNT_DETACH);
}

bool ScratchMedium::MakeReadOnly()
{
    return FMounted
        && ::mount("tmpfs", FFolder.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
}

ToolRun RunTool(const TempFolder& scratch, const std::string& arguments, const std::string& wrapper)
{
    const char* build = std::getenv("VANTREL_BUILD_DIR");
    const std::string tool = std::string(build ? build : ".") + "/vantrel-tool";
    const std::string out = scratch / "stdout";
    const std::string err = scratch / "stderr";
    const std::string command = (wrapper.empty() ? std::string() : wrapper + " ") +
        ShellQuoted(tool) + " " + arguments + " >" + ShellQuoted(out) + " 2>" + ShellQuoted(err) + " </dev/null";
    const int status = std::system(command.c_str());
    ToolRun run;
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Out = ReadFile(out);
    run.Err = ReadFile(err);
    return run;
}

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}
