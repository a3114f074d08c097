// The version record the build writes, read back from real programs.

#include "support/VersionInfo.h"

#include "tests/catalogue/TestFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string Built(const std::string& name)
{
    return std::string(std::getenv("VANTREL_BUILD_DIR")) + "/" + name;
}

TEST(VersionInfo, WindowProgramCarriesTheProjectVersion)
{
    EXPECT_EQ(GetVersionText(Built("vantrel")), VANTREL_PROJECT_VERSION4);
    EXPECT_EQ(GetProductVersionText(Built("vantrel")), VANTREL_PROJECT_VERSION4);
}

TEST(VersionInfo, RecordOfFourNumbersIsReadAsWritten)
{
    const std::string fixture = Built("tests/version_fixture");
    EXPECT_EQ(GetVersionText(fixture), "1.2.0.5");
    EXPECT_EQ(GetProductVersionText(fixture), "1.2.0.5");
    const TFixedFileInfo info = GetFileInfo(fixture);
    EXPECT_EQ(info[0], 0xFEEF04BDu);
    EXPECT_EQ(info[4], 0x00010002u);
    EXPECT_EQ(info[5], 0x00000005u);
}

TEST(VersionInfo, ProgramWithoutTheSectionHasNoVersion)
{
    // This test program is built without a version record.
    const std::string self = Built("tests/support_version");
    EXPECT_EQ(GetVersionText(self), "");
    EXPECT_EQ(GetProductVersionText(self), "0.0.0.0");
}

TEST(VersionInfo, MissingFileHasNoVersion)
{
    TempFolder folder;
    EXPECT_EQ(GetVersionText(folder / "missing"), "");
    EXPECT_EQ(GetProductVersionText(folder / "missing"), "0.0.0.0");
}

TEST(VersionInfo, FileThatIsNotAProgramHasNoVersion)
{
    TempFolder folder;
    WriteFile(folder / "text", "vantrel_version 1.2.0.5\n");
    WriteFile(folder / "empty", "");
    EXPECT_EQ(GetVersionText(folder / "text"), "");
    EXPECT_EQ(GetVersionText(folder / "empty"), "");
    EXPECT_EQ(GetVersionText(folder.Path()), "");
}

TEST(VersionInfo, ProgramCutShortHasNoVersion)
{
    // The section table of an ELF file is at its end: a copy cut in half
    // points past the end of the file and must not be believed.
    TempFolder folder;
    const std::string whole = ReadFile(Built("tests/version_fixture"));
    WriteFile(folder / "cut", whole.substr(0, whole.size() / 2));
    EXPECT_EQ(GetVersionText(folder / "cut"), "");
}

TEST(VersionTool, PrintsItsNameAndVersion)
{
    TempFolder scratch;
    const ToolRun run = RunTool(scratch, "--version");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, std::string("vantrel-tool ") + VANTREL_PROJECT_VERSION4 + "\n");
}

TEST(VersionTool, HelpPrintsTheUsageAndSucceeds)
{
    TempFolder scratch;
    const ToolRun run = RunTool(scratch, "--help");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_NE(run.Out.find("usage: vantrel-tool title FILE"), std::string::npos);
    EXPECT_NE(run.Out.find("vantrel-tool --version"), std::string::npos);
    EXPECT_EQ(run.Err, "");
}

} // namespace
