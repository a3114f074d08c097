#include "tests/common/MakeMedia.h"

#include "tests/common/RunProgram.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

void MakeVideo(const std::string& target, const VideoRecipe& recipe)
{
    const std::string picture = recipe.tiny ? "32x24" : "160x120";
    const std::string seconds = std::to_string(recipe.seconds);
    std::vector<std::string> command = {"ffmpeg", "-nostdin", "-y", "-v", "error",
                                        "-f", "lavfi", "-i", "testsrc=duration=" + seconds + ":size=" + picture + ":rate=10",
                                        "-f", "lavfi", "-i", "sine=duration=" + seconds,
                                        "-c:v", "mpeg4", "-c:a", "aac"};
    if (recipe.tiny)
        command.insert(command.end(), {"-b:a", "16k"});
    const std::string second = target + ".second.mp4";
    if (recipe.loops > 0) {
        VideoRecipe once;
        once.format = "mp4";
        once.tiny = recipe.tiny;
        once.seconds = recipe.seconds;
        MakeVideo(second, once);
        command = {"ffmpeg", "-nostdin", "-y", "-v", "error", "-stream_loop", std::to_string(recipe.loops),
                   "-i", second, "-c", "copy"};
    }
    if (recipe.title)
        command.insert(command.end(), {"-metadata", "title=" + *recipe.title});
    if (recipe.faststart)
        command.insert(command.end(), {"-movflags", "+faststart"});
    if (recipe.fragmented)
        command.insert(command.end(), {"-movflags", "frag_keyframe+empty_moov"});
    if (recipe.bitexact)
        command.insert(command.end(), {"-fflags", "+bitexact"});
    command.insert(command.end(), {"-f", recipe.format, target});
    const ProgramRun made = RunProgram(command);
    if (recipe.loops > 0)
        std::remove(second.c_str());
    if (made.exitCode != 0)
        throw std::runtime_error("ffmpeg failed: " + made.errors);
}

void MakePicture(const std::string& target, const std::string& source)
{
    // A filter's options follow its name after '=', one another after ':'.
    const char* joint = source.find('=') == std::string::npos ? "=" : ":";
    const ProgramRun made = RunProgram({"ffmpeg", "-nostdin", "-y", "-v", "error", "-f", "lavfi", "-i",
                                        source + joint + "size=160x120", "-frames:v", "1", "-f", "mjpeg", target});
    if (made.exitCode != 0)
        throw std::runtime_error("ffmpeg failed: " + made.errors);
}

void MakeClip(const std::string& target, const std::vector<std::string>& arguments)
{
    std::vector<std::string> command = {"ffmpeg", "-nostdin", "-y", "-v", "error"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    command.push_back(target);
    const ProgramRun made = RunProgram(command);
    if (made.exitCode != 0)
        throw std::runtime_error("ffmpeg failed on " + target + ": " + made.errors);
}
