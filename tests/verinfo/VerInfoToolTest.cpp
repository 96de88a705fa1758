// verinfo.exe as a script runs it: one line per file, exit status.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestPaths.h"
#include "toolkit/Scoped.h"

namespace {

inline void CloseHandleValue(HANDLE handle) { ::CloseHandle(handle); }
using ScopedHandle = toolkit::Scoped<HANDLE, CloseHandleValue>;

struct RunResult {
  DWORD exitCode = 0xDEADBEEF;
  std::string output = "poison";
};

// Runs verinfo.exe beside the tests with its output in a temporary file.
RunResult RunTool(const std::vector<std::string>& args) {
  RunResult result;
  char folder[MAX_PATH], file[MAX_PATH];
  ::GetTempPathA(MAX_PATH, folder);
  if (!::GetTempFileNameA(folder, "vit", 0, file)) return result;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  {
    HANDLE raw = ::CreateFileA(file, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ScopedHandle out(raw == INVALID_HANDLE_VALUE ? nullptr : raw);
    if (!out) return result;
    std::string command("\"");
    command.append(testing_paths::BesideExecutable("verinfo.exe")).append("\"");
    for (const std::string& arg : args) command.append(" \"").append(arg).append("\"");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.Get();
    startup.hStdError = out.Get();
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &process))
      return result;
    ScopedHandle processHandle(process.hProcess), threadHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::GetExitCodeProcess(process.hProcess, &result.exitCode);
  }
  result.output.clear();
  HANDLE raw =
      ::CreateFileA(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ScopedHandle in(raw == INVALID_HANDLE_VALUE ? nullptr : raw);
  char buffer[4096];
  DWORD read = 0;
  while (in && ::ReadFile(in.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
    result.output.append(buffer, read);
  return result;
}

std::string Fixture(const char* name) {
  return testing_paths::BesideExecutable(std::string("vfx_").append(name).append(".dll").c_str());
}

}  // namespace

TEST(VerInfoTool, PrintsOneTabSeparatedLinePerFileInArgumentOrder) {
  const std::string full = Fixture("full"), fixedOnly = Fixture("fixed_only"), missing = Fixture("missing");
  const RunResult run = RunTool({full, missing, fixedOnly, ""});
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.output, full + "\t1\tZentrix Fixture\tCopyright (C) Fixture Authors\t7.1.0.3\t7.1\n" +
                            missing + "\t0\t\t\t\t\n" + fixedOnly +
                            "\t1\tFixture Product\t(c) Fixture Makers\t5.1.2600.2828\t6.2.0.1\n" +
                            "\t0\t\t\t\t\n");
}

TEST(VerInfoTool, ATabInsideATextIsWrittenAsASpace) {
  const std::string file = Fixture("text_version");
  const RunResult run = RunTool({file});
  EXPECT_EQ(run.output, file + "\t1\tText Version\t\t5.1.2600.2180 (xpsp_sp2_rtm.040803-2158)\t2.5 beta\n");
}

TEST(VerInfoTool, NoFileIsAUsageError) {
  const RunResult run = RunTool({});
  EXPECT_NE(run.exitCode, 0u);
  EXPECT_NE(run.exitCode, 0xDEADBEEFu) << "the tool did not run";
  EXPECT_NE(run.output.find("usage"), std::string::npos) << run.output;
}
