// A program run as a script runs it, start to exit, its output thrown away:
// for the benchmarks that time whole processes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace bench {

struct ChildRun {
  double micros = 0;
  DWORD exitCode = 0;
  size_t peakKb = 0;  // 0 unless sampled
};

// Runs `command` in `folder`. With `sampleMs`, the peak working set is
// sampled that often while it runs (once it has ended, Wine may no longer
// answer for its memory); without, nothing but the wait is done meanwhile.
// A program that cannot be started ends the benchmark: a figure of nothing
// would read as a met target.
ChildRun RunChild(std::string command, const std::string& folder, DWORD sampleMs = 0);

}  // namespace bench
