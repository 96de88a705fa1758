// One part's run and counter table: a warm-up cycle, then the cycles with
// samples taken every tenth of the run, printed as they are taken, then
// judged against the soak's targets.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/ProcessCounters.h"
#include "host/Verdicts.h"

namespace soak {

// Memory may move by this much after the first tenth of a part.
constexpr long kMemoryToleranceKb = 256;

using host::Verdicts;

struct Sample {
  int done = 0;  // cycles completed when taken
  double seconds = 0;
  int rows = -1;  // list rows of the last scan, where there is one
  host::ProcessCounters counters;
  // Bytes in use in the C runtime's heap (the library's and this program's
  // objects) and in the process heap (system libraries): whose memory grows.
  long crtKb = -1;
  long processKb = -1;
};

class SoakTable {
 public:
  // `unit` names one cycle in the first column ("cycle", "scan", "load").
  // `fullCount` is the part's full-size count: memory is judged only when
  // the run is at least half of it.
  SoakTable(std::string unit, int count, int fullCount, bool withRows);

  // Cycle 0 is the warm-up (first-use set-ups are not leaks), then sample 0,
  // then cycles 1 to `count`, sampled at every tenth and the last. `cycle`
  // returns the list rows it saw, or -1.
  void Run(const std::function<int(int cycle)>& cycle);

  // A failed cycle; the first one is named in the verdict.
  void Fail(int cycle, const std::string& what);
  int Failures() const { return failures_; }
  // " (first: ...)" naming the first failure, or "".
  std::string FirstFailure() const { return firstFailure_.empty() ? "" : " (first: " + firstFailure_ + ")"; }

  // No growth of windows and kernel handles over sample 0, and memory flat
  // after the first tenth.
  void JudgeCounters(Verdicts& verdicts, const std::string& part) const;

 private:
  // Lets pending messages run, then samples and prints one row.
  void Take(int done, int rows);
  void PrintHeader() const;
  void PrintRow(const Sample& sample) const;

  std::string unit_;
  int count_;
  int fullCount_;
  bool withRows_;
  unsigned long long start_ = 0;
  std::vector<Sample> samples_;
  int failures_ = 0;
  std::string firstFailure_;
};

std::string Hex(unsigned long value, int digits = 8);

}  // namespace soak
