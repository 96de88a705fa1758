#include "bench/ChildProcess.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench/Measure.h"
#include "shared/Scoped.h"

namespace bench {

namespace {

// 0 when the process cannot be asked.
size_t PeakWorkingSetKb(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
  return counters.PeakWorkingSetSize / 1024;
}

}  // namespace

ChildRun RunChild(std::string command, const std::string& folder, DWORD sampleMs) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE nulFile = ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                       OPEN_EXISTING, 0, nullptr);
  const shared::ScopedHandle nul(nulFile == INVALID_HANDLE_VALUE ? nullptr : nulFile);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = nul.Get();
  PROCESS_INFORMATION process{};
  ChildRun run;
  const LONGLONG start = Now();
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    std::fprintf(stderr, "cannot run %.200s (error %lu)\n", command.c_str(), ::GetLastError());
    std::exit(1);
  }
  const shared::ScopedHandle thread(process.hThread), running(process.hProcess);
  if (sampleMs) {
    do {
      run.peakKb = std::max(run.peakKb, PeakWorkingSetKb(running.Get()));
    } while (::WaitForSingleObject(running.Get(), sampleMs) == WAIT_TIMEOUT);
  } else {
    ::WaitForSingleObject(running.Get(), INFINITE);
  }
  run.micros = Micros(Now() - start);
  ::GetExitCodeProcess(running.Get(), &run.exitCode);
  return run;
}

}  // namespace bench
