// vantrel-tool drives, run as a script runs it, over a simulated system.

#include "platform/Drives.h"
#include "tests/platform/SimulatedSystem.h"

#include <gtest/gtest.h>

#include "tests/common/RunProgram.h"

#include <cstdlib>
#include <sstream>
#include <filesystem>

namespace {

struct ToolRun {
    int exitCode = -1;
    std::vector<std::vector<std::string>> lines;  // fields of each line
    std::string errors;
};

ToolRun RunTool(const std::vector<std::string>& arguments)
{
    const char* build = std::getenv("VANTREL_BUILD_DIR");
    std::vector<std::string> command{std::string(build ? build : ".") + "/vantrel-tool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const ProgramRun ran = RunProgram(command);
    ToolRun run;
    run.exitCode = ran.exitCode;
    run.errors = ran.errors;
    std::istringstream output(ran.output);
    for (std::string line; std::getline(output, line);) {
        if (line.empty())
            continue;
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(field);
        run.lines.push_back(std::move(fields));
    }
    return run;
}

class DrivesCommandTest : public testing::Test {
protected:
    SimulatedSystem system;
};

TEST_F(DrivesCommandTest, PrintsEveryDriveWithRemovableFlagAndSpace)
{
    system.AddDisk("sdn", true, "sdn1");
    const std::string handheld = system.PathOf("psp");
    std::filesystem::create_directory(handheld);
    system.WriteMountTable(SimulatedSystem::MountLine(24, "/", "ext4", "/dev/vda")
                           + SimulatedSystem::MountLine(21, "/proc", "proc", "proc")
                           + SimulatedSystem::MountLine(90, handheld, "vfat", "/dev/sdn1"));
    const ToolRun run = RunTool({"drives"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(run.lines.size(), 2u);
    EXPECT_EQ(run.lines[0][0], "/");
    EXPECT_EQ(run.lines[0][1], "0");
    ASSERT_EQ(run.lines[1].size(), 4u);
    EXPECT_EQ(run.lines[1][0], handheld);
    EXPECT_EQ(run.lines[1][1], "1");
    const DiskSpace space = QueryDiskSpace(handheld);
    EXPECT_GT(std::stod(run.lines[1][2]), 0);
    EXPECT_EQ(std::stod(run.lines[1][3]), space.totalBytes);
    EXPECT_LE(std::stod(run.lines[1][2]), std::stod(run.lines[1][3]));
}

TEST_F(DrivesCommandTest, VanishedMountPointShowsMinusOne)
{
    system.WriteMountTable(SimulatedSystem::MountLine(90, system.PathOf("gone"), "vfat", "/dev/sdn1"));
    const ToolRun run = RunTool({"drives"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(run.lines.size(), 1u);
    EXPECT_EQ(run.lines[0], (std::vector<std::string>{system.PathOf("gone"), "0", "-1", "-1"}));
}

// A tab or a newline in a mount point must not split its line.
TEST_F(DrivesCommandTest, MountPointWithTabAndNewlineStaysOneLineOfFourFields)
{
    const std::string odd = system.PathOf("a b\tc\nd\\e");
    system.WriteMountTable(SimulatedSystem::MountLine(90, odd, "vfat", "/dev/sdn1"));
    const ToolRun run = RunTool({"drives"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(run.lines.size(), 1u);
    ASSERT_EQ(run.lines[0].size(), 4u);
    EXPECT_EQ(run.lines[0][0], system.PathOf("a b\\011c\\012d\\134e"));
}

TEST_F(DrivesCommandTest, NoDrivesPrintsNothing)
{
    const ToolRun run = RunTool({"drives"});
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(run.lines.empty());
}

TEST_F(DrivesCommandTest, ExtraArgumentIsAUsageError)
{
    const ToolRun run = RunTool({"drives", "/"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.lines.empty());
    EXPECT_NE(run.errors.find("usage"), std::string::npos);
}

} // namespace
