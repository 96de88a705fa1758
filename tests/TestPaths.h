// Where the tests find the files under test: beside the test executable.
#pragma once

#include <string>

namespace testing_paths {

std::string BesideExecutable(const char* fileName);
inline std::string PlugInPath() { return BesideExecutable("zentrix.pdl"); }

}  // namespace testing_paths
