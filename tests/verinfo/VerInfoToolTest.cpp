// verinfo.exe as a script runs it: one line per file, exit status.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/TestPaths.h"
#include "tests/badinput/DebuggedChild.h"

using testing_paths::FixturePath;

namespace {

// verinfo.exe beside the tests, as a script runs it; a crash or a hang
// shows as such rather than as an exit code.
badinput::ChildRun RunTool(const std::vector<std::string>& args) {
  std::string command("\"");
  command.append(testing_paths::BesideExecutable("verinfo.exe")).append("\"");
  for (const std::string& arg : args) command.append(" \"").append(arg).append("\"");
  return badinput::RunChild(command, "", 60000);
}

}  // namespace

TEST(VerInfoTool, PrintsOneTabSeparatedLinePerFileInArgumentOrder) {
  const std::string full = FixturePath("full"), fixedOnly = FixturePath("fixed_only"),
                    missing = FixturePath("missing");
  const badinput::ChildRun run = RunTool({full, missing, fixedOnly, ""});
  // The missing file and the empty name could not be read.
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.output, full + "\t1\tZentrix Fixture\tCopyright (C) Fixture Authors\t7.1.0.3\t7.1\n" +
                            missing + "\t0\t\t\t\t\n" + fixedOnly +
                            "\t1\tFixture Product\t(c) Fixture Makers\t5.1.2600.2828\t6.2.0.1\n" +
                            "\t0\t\t\t\t\n");
}

TEST(VerInfoTool, ATabInsideATextIsWrittenAsASpace) {
  const std::string file = FixturePath("text_version");
  const badinput::ChildRun run = RunTool({file});
  EXPECT_EQ(run.output, file + "\t1\tText Version\t\t5.1.2600.2180 (xpsp_sp2_rtm.040803-2158)\t2.5 beta\n");
}

TEST(VerInfoTool, NoFileIsAUsageError) {
  const badinput::ChildRun run = RunTool({});
  EXPECT_NE(run.exitCode, 0u);
  EXPECT_TRUE(run.started && !run.crashed && !run.timedOut) << "the tool did not run: " << run.Describe();
  EXPECT_NE(run.output.find("usage"), std::string::npos) << run.output;
}
