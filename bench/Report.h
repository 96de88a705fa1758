// Everything one run of dialog_bench measured, by side, and its printed
// breakdown.
#pragma once

#include <string>
#include <vector>

#include "host/ProcessCounters.h"

namespace bench {

// The *NoPass figures are ours with its activation event's own work (the
// gathering pass, which the bare dialog has no counterpart for) taken out of
// each run; the bare dialog's are its plain ones. kPass is that work alone.
enum Figure {
  kActivated,
  kActivatedNoPass,
  kPainted,
  kPaintedNoPass,
  kReturned,
  kReturnedNoPass,
  kBuilt,
  kDestroyed,
  kPass,
  kFigureCount
};

// One Execute run cut at marks both dialogs share: the host disabled (the
// dialog built), the end of activation, the first complete paint, the host
// enabled again (the modal loop over), the return.
enum ExecutePhase { kBuildPhase, kShowPhase, kPaintPhase, kClickPhase, kTeardownPhase, kPhaseCount };

struct CycleCounts {
  host::ProcessCounters before;
  host::ProcessCounters halfway;
  host::ProcessCounters after;
};

// One dialog's samples, in microseconds, and its leak count.
struct SideFigures {
  std::vector<double> figures[kFigureCount];
  std::vector<double> phases[kPhaseCount];  // ours without its activation pass
  CycleCounts cycles;
};

struct TreeCheck {
  bool identical = false;
  int windows = 0;
  std::string commonControls[2];         // ours, bare
  std::vector<std::string> differences;  // pairs of lines, ours then bare
};

// ours, the bare dialog, and the bare dialog making the activation pass's
// calls (figures of a showing only).
enum SideIndex { kOursSide, kBareSide, kBareWithPassSide, kSideCount };

struct Report {
  // What is run: timed rounds after warm-up rounds, then leak-count cycles
  // after warm-up cycles.
  int rounds = 50;
  int warmup = 5;
  int cycles = 200;
  int warmupCycles = 10;
  TreeCheck trees;
  SideFigures sides[kSideCount];
  int timeouts = 0;
  int maxStillInvalid = 0;
};

void Print(const Report& report);

}  // namespace bench
