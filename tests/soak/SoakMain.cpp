// soak: Execute/close cycles, library scans and load/unload cycles of the
// built plug-in library, with the process's windows, kernel handles and
// memory counted throughout. Exit status 0 only when every target holds.
//
//   soak [--cycles N] [--scans N] [--loads N] [--library PATH]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <utility>

#include "tests/TestPaths.h"
#include "tests/soak/SoakParts.h"

namespace soak {

namespace {

int Usage() {
  std::fprintf(stderr, "usage: soak [--cycles N (%d)] [--scans N (%d)] [--loads N (%d)] [--library PATH]\n",
               kFullCycles, kFullScans, kFullLoads);
  return 2;
}

// A count of 0 leaves its part out.
bool ParseCount(const char* text, int& count) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > 1000000) return false;
  count = static_cast<int>(value);
  return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  options.library = testing_paths::PlugInPath();
  const std::pair<const char*, int*> counts[] = {
      {"--cycles", &options.cycles}, {"--scans", &options.scans}, {"--loads", &options.loads}};
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--library")) {
      options.library = argv[i + 1];
      continue;
    }
    const auto count = std::find_if(std::begin(counts), std::end(counts),
                                    [&](const auto& entry) { return !std::strcmp(argv[i], entry.first); });
    if (count == std::end(counts) || !ParseCount(argv[i + 1], *count->second)) return false;
  }
  return argc % 2 == 1;
}

int Run(const Options& options) {
  std::printf("soak: %d Execute/close cycles, %d library scans, %d load/unload cycles\n", options.cycles,
              options.scans, options.loads);
  std::printf(
      "counted: thread windows (EnumThreadWindows + EnumChildWindows), kernel handles of this process\n"
      "(NtQuerySystemInformation), working set and pagefile usage (GetProcessMemoryInfo)\n");
  std::printf("GDI objects: %s\n", host::GdiCountingMethod().c_str());
  std::printf(
      "crt-heap, proc-heap: bytes in use in the C runtime's heap (the library's and this program's\n"
      "objects) and in the process heap (system libraries), to tell whose memory grows\n");
  std::printf(
      "targets: windows and handles never above sample 0; memory within +%ld KB of the sample\n"
      "after the first tenth (judged for runs of at least half the full size)\n",
      kMemoryToleranceKb);
  std::fflush(stdout);

  Verdicts verdicts(stdout);
  const unsigned long long start = ::GetTickCount64();
  if (options.cycles > 0) RunExecutePart(options, verdicts);
  if (options.scans > 0) RunScanPart(options, verdicts);
  if (options.loads > 0) RunLoadPart(options, verdicts);
  const double seconds = static_cast<double>(::GetTickCount64() - start) / 1000.0;
  char took[32];
  std::snprintf(took, sizeof took, " (%.0f s)", seconds);
  std::printf("\n");
  return verdicts.Finish(took) ? 1 : 0;
}

}  // namespace

}  // namespace soak

int main(int argc, char** argv) {
  soak::Options options;
  if (!soak::ParseOptions(argc, argv, options)) return soak::Usage();
  try {
    return soak::Run(options);
  } catch (const std::exception& error) {
    std::printf("FAIL soak stopped: %s\n", error.what());
  }
  return 1;
}
