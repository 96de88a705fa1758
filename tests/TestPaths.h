// Where the tests find the files under test: beside the test executable.
#pragma once

#include <windows.h>

#include <string>

namespace testing_paths {

// This program's own file.
inline std::string ExecutablePath() {
  char path[MAX_PATH];
  return std::string(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
}
inline std::string BesideExecutable(const std::string& fileName) {
  std::string folder = ExecutablePath();
  folder.resize(folder.find_last_of("\\/") + 1);
  return folder + fileName;
}
inline std::string PlugInPath() { return BesideExecutable("zentrix.pdl"); }
// A version fixture (tests/verinfo/fixtures), built as vfx_<name>.dll.
inline std::string FixturePath(const std::string& name) { return BesideExecutable("vfx_" + name + ".dll"); }

}  // namespace testing_paths
