// One part's counter table: samples taken every tenth of the run, printed as
// they are taken, then judged against the soak's targets.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host/ProcessCounters.h"

namespace soak {

// Memory may move by this much after the first tenth of a part.
constexpr long kMemoryToleranceKb = 256;

// Counts PASS and FAIL lines over the whole soak.
class Verdicts {
 public:
  void Judge(bool pass, const std::string& text);
  void Info(const std::string& text);
  int Passed() const { return passed_; }
  int Failed() const { return failed_; }

 private:
  int passed_ = 0;
  int failed_ = 0;
};

// Bytes in use in the two heaps that matter here: the C runtime's (the
// library's and this program's C++ objects) and the process heap (system
// libraries: user32, comctl32, gdi32). They tell whose memory grows.
struct HeapUse {
  long crtKb = -1;
  long processKb = -1;
};
HeapUse SampleHeaps();

struct Sample {
  int done = 0;  // cycles completed when taken
  double seconds = 0;
  int rows = -1;  // list rows of the last scan, where there is one
  host::ProcessCounters counters;
  HeapUse heaps;
};

class SoakTable {
 public:
  // `unit` names one cycle in the first column ("cycle", "scan", "load").
  // `fullCount` is the part's full-size count: memory is judged only when
  // the run is at least half of it.
  SoakTable(std::string unit, int count, int fullCount, bool withRows);

  // Whether a sample is due after `done` cycles: 0, every tenth, the last.
  bool Due(int done) const;
  // Lets pending messages run, then samples and prints one row.
  void Take(int done, int rows = -1);

  // No growth of windows and kernel handles over sample 0, and memory flat
  // after the first tenth.
  void JudgeCounters(Verdicts& verdicts, const std::string& part) const;

 private:
  void PrintHeader() const;
  void PrintRow(const Sample& sample) const;

  std::string unit_;
  int count_;
  int fullCount_;
  int step_;
  bool withRows_;
  unsigned long long start_;
  std::vector<Sample> samples_;
};

std::string Hex(unsigned long value, int digits = 8);

}  // namespace soak
