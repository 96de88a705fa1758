// load_bench: loading zentrix.pdl, calling InitPlugInLib and unloading it,
// against the floor (a DLL of the same toolchain that makes exactly the load
// calls the plug-in must make) and an empty DLL, in turn in one process.
//
//   load_bench [ROUNDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
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
  struct Side {
    std::string path;
    bool init;
    const char* title;
    std::vector<double> times;
  };
  Side sides[] = {
      {testing_paths::PlugInPath(), true, "ours: LoadLibrary + InitPlugInLib + FreeLibrary", {}},
      {testing_paths::BesideExecutable("floor_library.dll"), false, "floor: LoadLibrary + FreeLibrary", {}},
      {testing_paths::BesideExecutable("empty_library.dll"),
       false,
       "empty DLL: LoadLibrary + FreeLibrary",
       {}},
  };
  constexpr int kSides = sizeof sides / sizeof sides[0];
  for (int i = 0; i < 20; ++i) {
    for (Side& side : sides) LoadOnce(side.path.c_str(), side.init);
  }
  for (int i = 0; i < rounds; ++i) {
    // Each round starts with another side, so drift in the machine's load hits all alike.
    for (int k = 0; k < kSides; ++k) {
      Side& side = sides[(i + k) % kSides];
      const double t = LoadOnce(side.path.c_str(), side.init);
      if (t < 0) {
        std::fprintf(stderr, "load_bench: cannot load %s\n", side.path.c_str());
        return 1;
      }
      side.times.push_back(t);
    }
  }
  std::printf("Load, %d rounds after 20 warm-up rounds, each side in turn; microseconds\n", rounds);
  std::printf("%-52s %10s %10s\n", "", "median", "p90");
  bench::Summary summaries[kSides];
  for (int k = 0; k < kSides; ++k) {
    summaries[k] = bench::Summarise(sides[k].times);
    std::printf("%-52s %10.0f %10.0f\n", sides[k].title, summaries[k].median, summaries[k].p90);
  }
  const double floor = summaries[1].median;
  std::printf("ratio ours/floor (medians) %.2f (target <= 1.30)\n",
              floor > 0 ? summaries[0].median / floor : 0);
  return 0;
}
