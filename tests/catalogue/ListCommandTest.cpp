// build/vantrel-tool list, run as a script would run it.

#include "tests/catalogue/TestFolders.h"

#include "catalogue/PSPTitle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

ToolRun runTool(const TempFolder& scratch, const std::string& arguments)
{
    return RunTool(scratch, "list " + arguments);
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    if (!text.empty() && text.back() == separator)
        parts.emplace_back();
    return parts;
}

// The lines of a listing by file name (third column), each as columns.
std::map<std::string, std::vector<std::string>> rows(const std::string& listing)
{
    std::map<std::string, std::vector<std::string>> byName;
    for (const std::string& line : split(listing, '\n')) {
        if (line.empty())
            continue;
        auto columns = split(line, '\t');
        byName[columns.at(2)] = columns;
    }
    return byName;
}

class ListCommand : public ::testing::Test {
protected:
    TempFolder Scratch;
    TempFolder Videos;
};

} // namespace

TEST_F(ListCommand, OneLinePerVideoWithWhatARowHolds)
{
    CopyBytes(HandheldVideo(), Videos / "M4V00001.MP4");
    CopyBytes(ThumbnailPicture(), Videos / "M4V00001.THM");
    WriteFile(Videos / "broken.mp4", "garbage");
    WriteFile(Videos / "readme.txt", "not a video");
    SetModified(Videos / "broken.mp4", 1138716309);

    const ToolRun run = runTool(Scratch, "'" + Videos.Path() + "'");

    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const auto listing = rows(run.Out);
    ASSERT_EQ(listing.size(), 2u) << run.Out;
    const auto& video = listing.at("M4V00001.MP4");
    ASSERT_EQ(video.size(), 8u);
    EXPECT_EQ(video[0], "1");
    EXPECT_EQ(video[1], "T");
    EXPECT_EQ(video[3], std::to_string(fs::file_size(HandheldVideo())));
    EXPECT_EQ(video[5], Videos / "M4V00001.THM");
    EXPECT_EQ(video[6], std::to_string(fs::file_size(ThumbnailPicture())));
    EXPECT_EQ(video[7], "0");
    const auto& broken = listing.at("broken.mp4");
    EXPECT_EQ(broken[0], "0");
    EXPECT_EQ(broken[1], "");
    EXPECT_EQ(broken[3], "7");
    EXPECT_EQ(broken[4].size(), std::string("2006/01/31,14:05:09").size());
    EXPECT_EQ(broken[5], "");
    EXPECT_EQ(broken[6], "0");
    EXPECT_EQ(broken[7], "1");
}

TEST_F(ListCommand, ThumbsColumnTellsDecodedFromPlaceholder)
{
    WriteFile(Videos / "good.mp4", "x");
    CopyBytes(ThumbnailPicture(), Videos / "good.THM");
    WriteFile(Videos / "bad.mp4", "x");
    WriteFile(Videos / "bad.THM", "\xFF\xD8\xFF\xE0 truncated JPEG");
    WriteFile(Videos / "none.mp4", "x");

    const ToolRun run = runTool(Scratch, "'" + Videos.Path() + "' --thumbs");

    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const auto listing = rows(run.Out);
    ASSERT_EQ(listing.size(), 3u);
    EXPECT_EQ(listing.at("good.mp4").back(), "ok");
    EXPECT_EQ(listing.at("bad.mp4").back(), "placeholder");
    EXPECT_EQ(listing.at("bad.mp4")[7], "0");
    EXPECT_EQ(listing.at("none.mp4").back(), "placeholder");
    for (const auto& [name, columns] : listing)
        EXPECT_EQ(columns.size(), 9u) << name;
}

TEST_F(ListCommand, TabsNewlinesAndBackslashesInNamesAreEscaped)
{
    WriteFile(Videos / "a\tb\nc\\d.mp4", "x");

    const ToolRun run = runTool(Scratch, "'" + Videos.Path() + "'");

    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    ASSERT_EQ(split(run.Out, '\n').size(), 2u) << run.Out;  // one line and the final newline
    const auto listing = rows(run.Out);
    ASSERT_EQ(listing.size(), 1u);
    EXPECT_EQ(listing.begin()->first, "a\\tb\\nc\\\\d.mp4");
    EXPECT_EQ(listing.begin()->second.size(), 8u);
}

// A title or a name can never send control codes to the terminal.
TEST_F(ListCommand, ControlCharactersInTitlesAndNamesAreEscaped)
{
    const std::string video = Videos / "bell\a\x1f.MP4";
    CopyBytes(HandheldVideo(), video);
    ASSERT_TRUE(PSPTitle::WriteTitle(video, "\x1b[2J\x01red\x7f").ok());

    const ToolRun run = runTool(Scratch, "'" + Videos.Path() + "'");

    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const auto listing = rows(run.Out);
    ASSERT_EQ(listing.size(), 1u);
    EXPECT_EQ(listing.begin()->first, "bell\\x07\\x1f.MP4");
    EXPECT_EQ(listing.begin()->second.at(1), "\\x1b[2J\\x01red\\x7f");
    for (const char c : run.Out)
        EXPECT_TRUE(c == '\t' || c == '\n' || (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)) << int(c);
}

TEST_F(ListCommand, EmptyFolderPrintsNothing)
{
    const ToolRun run = runTool(Scratch, "'" + Videos.Path() + "'");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, "");
}

TEST_F(ListCommand, MissingFolderIsNamedOnStandardError)
{
    const std::string missing = Videos / "no-such-folder";

    const ToolRun run = runTool(Scratch, "'" + missing + "'");

    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_NE(run.Err.find(missing), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out, "");
}

TEST_F(ListCommand, WrongUsageExitsWithTwo)
{
    EXPECT_EQ(runTool(Scratch, "").ExitCode, 2);
    EXPECT_EQ(runTool(Scratch, "'" + Videos.Path() + "' --frobnicate").ExitCode, 2);
    EXPECT_EQ(runTool(Scratch, "'" + Videos.Path() + "' '" + Videos.Path() + "'").ExitCode, 2);
    const ToolRun usage = runTool(Scratch, "");
    EXPECT_NE(usage.Err.find("usage"), std::string::npos);
}
