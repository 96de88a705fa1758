// load_bench: loading zentrix.pdl and calling InitPlugInLib, against loading
// an empty DLL of the same toolchain and runtime, alternated in one process.
//
//   load_bench [ROUNDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Measure.h"
#include "TestPaths.h"
#include "host/CallProbe.h"
#include "plugin/PlugInRecords.h"

namespace {

double LoadOnce(const char* path, bool init) {
  const LONGLONG start = bench::Now();
  HMODULE module = LoadLibraryA(path);
  if (module && init) {
    plugin::TPlugInLibInfo info{};
    const void* entry = reinterpret_cast<const void*>(GetProcAddress(module, "InitPlugInLib"));
    if (entry) host::CallRegister(entry, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&info)));
  }
  if (module) FreeLibrary(module);
  return module ? bench::Micros(bench::Now() - start) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
  const std::string ours = testing_paths::PlugInPath();
  const std::string empty = testing_paths::BesideExecutable("empty_library.dll");
  for (int i = 0; i < 20; ++i) {
    LoadOnce(ours.c_str(), true);
    LoadOnce(empty.c_str(), false);
  }
  std::vector<double> oursTimes, emptyTimes;
  for (int i = 0; i < rounds; ++i) {
    for (int side = 0; side < 2; ++side) {
      const bool oursNow = (side == 0) == (i % 2 == 0);
      const double t = oursNow ? LoadOnce(ours.c_str(), true) : LoadOnce(empty.c_str(), false);
      if (t < 0) {
        std::fprintf(stderr, "load_bench: cannot load %s\n", oursNow ? ours.c_str() : empty.c_str());
        return 1;
      }
      (oursNow ? oursTimes : emptyTimes).push_back(t);
    }
  }
  const bench::Summary o = bench::Summarise(oursTimes);
  const bench::Summary e = bench::Summarise(emptyTimes);
  std::printf("Load, %d alternating rounds after 20 warm-up rounds; microseconds\n", rounds);
  std::printf("%-52s %10s %10s\n", "", "median", "p90");
  std::printf("%-52s %10.0f %10.0f\n", "ours: LoadLibrary + InitPlugInLib + FreeLibrary", o.median, o.p90);
  std::printf("%-52s %10.0f %10.0f\n", "empty DLL: LoadLibrary + FreeLibrary", e.median, e.p90);
  std::printf("ratio ours/empty (medians) %.2f\n", e.median > 0 ? o.median / e.median : 0);
  return 0;
}
