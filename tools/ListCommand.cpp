// vantrel-tool list FOLDER [--thumbs]
//
// One line per video of FOLDER, in the order the folder scan finds them,
// with what a pane row holds, separated by tabs:
//
//   has-title  title  file-name  size  write-time  thumb-path  thumb-size  no-thumb  [thumb]
//
// has-title and no-thumb are 1 or 0, sizes are bytes, and with --thumbs
// the last column says whether the thumbnail decodes ("ok") or the row
// shows the placeholder ("placeholder"). In texts a backslash is written
// as \\, a tab as \t, a newline as \n, a carriage return as \r and every
// other control character (U+0000..U+001F, U+007F) as \xHH, so every
// video stays one line of exactly these columns and no title or name can
// send control codes to a terminal.

#include "tools/Commands.h"

#include "catalogue/PSPTitle.h"
#include "catalogue/Thumbnail.h"
#include "catalogue/uClass.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

const char* const Usage = "usage: vantrel-tool list FOLDER [--thumbs]\n"
                          "  one tab-separated line per video: has-title, title, file name, size,\n"
                          "  write time, thumbnail path, thumbnail size, no-thumb [, ok|placeholder];\n"
                          "  in texts \\ is written \\\\, tab \\t, newline \\n, carriage return \\r,\n"
                          "  other control characters \\xHH\n";

std::string hexEscape(unsigned char byte)
{
    static constexpr char digits[] = "0123456789abcdef";
    return {'\\', 'x', digits[byte >> 4], digits[byte & 0xF]};
}

std::string escaped(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default:
            if (const auto byte = static_cast<unsigned char>(c); byte < 0x20 || byte == 0x7F)
                out += hexEscape(byte);
            else
                out += c;
            break;
        }
    }
    return out;
}

std::string rowLine(const TFileInfo& info, bool withThumbs)
{
    std::string line;
    line += info.HasTitle ? "1" : "0";
    line += '\t' + escaped(info.Title);
    line += '\t' + escaped(info.FileName);
    line += '\t' + std::to_string(static_cast<long long>(info.Size));
    line += '\t' + escaped(info.WriteTime);
    line += '\t' + escaped(info.ThumbPath);
    line += '\t' + std::to_string(info.ThumbSize);
    line += info.NoThumb ? "\t1" : "\t0";
    if (withThumbs)
        line += (!info.NoThumb && DecodeThumbnail(info.ThumbPath)) ? "\tok" : "\tplaceholder";
    line += '\n';
    return line;
}

// Keeps the title library's handle for the command's run.
struct TitleLibrary {
    TitleLibrary() { PSPTitle::CreateLibrary(); }
    ~TitleLibrary() { PSPTitle::DestroyLibrary(); }
    TitleLibrary(const TitleLibrary&) = delete;
    TitleLibrary& operator=(const TitleLibrary&) = delete;
};

} // namespace

namespace {

struct TListOptions {
    std::string Folder;
    bool WithThumbs = false;
};

std::optional<TListOptions> parseListArguments(int argc, char** argv)
{
    TListOptions options;
    bool haveFolder = false;
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "--thumbs" && !options.WithThumbs) {
            options.WithThumbs = true;
        } else if (!haveFolder && !argument.starts_with("--")) {
            options.Folder = argument;
            haveFolder = true;
        } else {
            return std::nullopt;
        }
    }
    if (!haveFolder)
        return std::nullopt;
    return options;
}

} // namespace

int runListCommand(int argc, char** argv)
{
    const auto options = parseListArguments(argc, argv);
    if (!options) {
        std::fputs(Usage, stderr);
        return 2;
    }
    const std::string& folder = options->Folder;
    if (!platform::IsDirectory(folder)) {
        std::fprintf(stderr, "vantrel-tool: no such folder: %s\n", folder.c_str());
        return 1;
    }
    // The scan reads an unreadable folder as empty; a script should hear of it.
    if (!platform::ListDirectory(folder)) {
        std::fprintf(stderr, "vantrel-tool: cannot read folder %s: %s\n", folder.c_str(), std::strerror(errno));
        return 1;
    }

    const TitleLibrary library;
    TListFiles scanner;
    bool written = true;
    scanner.OnFile = [&](const TFileInfo& info) {
        const std::string line = rowLine(info, options->WithThumbs);
        written = written && std::fwrite(line.data(), 1, line.size(), stdout) == line.size();
    };
    int highest = 0;
    (void)scanner.ScanFolder(folder, highest, false);
    if (!written || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "vantrel-tool: cannot write the listing of %s: %s\n", folder.c_str(), std::strerror(errno));
        return 1;
    }
    return 0;
}
