// load_bench: loading zentrix.pdl, calling InitPlugInLib and unloading it,
// against the floor (a plain C DLL without any runtime that makes exactly the
// load calls the plug-in must make), the same calls built and linked as the
// plug-in is, and an empty DLL, in turn in one process.
//
//   load_bench [ROUNDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Measure.h"
#include "host/CallProbe.h"
#include "plugin/PlugInRecords.h"
#include "tests/TestPaths.h"

namespace {

double LoadOnce(const std::string& path, bool init) {
  const LONGLONG start = bench::Now();
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module) {
    std::fprintf(stderr, "load_bench: cannot load %s\n", path.c_str());
    std::exit(1);
  }
  if (init) {
    plugin::TPlugInLibInfo info{};
    const void* entry = reinterpret_cast<const void*>(GetProcAddress(module, "InitPlugInLib"));
    if (entry) host::CallRegister(entry, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&info)));
  }
  FreeLibrary(module);
  return bench::Micros(bench::Now() - start);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
  const std::string ours = testing_paths::PlugInPath();
  const std::string plain = testing_paths::BesideExecutable("plain_floor.dll");
  const std::string floor = testing_paths::BesideExecutable("floor_library.dll");
  const std::string empty = testing_paths::BesideExecutable("empty_library.dll");
  const auto times =
      bench::TimeSides(20, rounds,
                       {[&] { return LoadOnce(ours, true); }, [&] { return LoadOnce(plain, false); },
                        [&] { return LoadOnce(floor, false); }, [&] { return LoadOnce(empty, false); }});
  std::printf("Load, %d rounds after 20 warm-up rounds, each side in turn; base: the plain floor DLL\n",
              rounds);
  bench::PrintHeading();
  bench::PrintPair("load + InitPlugInLib + unload", times[0], times[1], 1.15,
                   "a plain C DLL making only the required load calls, no runtime");
  // What the plug-in's build itself costs (runtime, stack guard, flags),
  // and what its own code costs beyond the same calls built that way.
  bench::PrintPair("  the same calls, built and linked as the plug-in", times[2], times[1], 0,
                   "a plain C DLL making only the required load calls, no runtime");
  bench::PrintPair("  the same, against those calls built as the plug-in", times[0], times[2], 0,
                   "the required load calls, built and linked as the plug-in");
  bench::PrintPair("  the same, against an empty DLL", times[0], times[3], 0,
                   "an empty plain C DLL, no runtime");
  return 0;
}
