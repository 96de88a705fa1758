#include "TestPaths.h"

#include <windows.h>

namespace testing_paths {

std::string BesideExecutable(const char* fileName) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, length);
  dir.resize(dir.find_last_of("\\/") + 1);
  return dir + fileName;
}

}  // namespace testing_paths
