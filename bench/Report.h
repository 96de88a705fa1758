// Everything one run of dialog_bench measured, and its two printed forms:
// a table for people and, with --json, one JSON document for tools.
#pragma once

#include <string>
#include <vector>

#include "host/ProcessCounters.h"

namespace bench {

using host::GdiCountingMethod;
using host::ProcessCounters;
using host::SampleCounters;

// The *NoPass figures are ours with its activation event's own work (the
// gathering pass, which the bare dialog has no counterpart for) taken out of
// each run; the bare dialog's are its plain ones.
enum Figure {
  kActivated,
  kActivatedNoPass,
  kPainted,
  kPaintedNoPass,
  kReturned,
  kReturnedNoPass,
  kBuilt,
  kDestroyed,
  kFigureCount
};

// One Execute run cut at marks both dialogs share: the host disabled (the
// dialog built), the end of activation, the first complete paint, the host
// enabled again (the modal loop over), the return.
enum ExecutePhase { kBuildPhase, kShowPhase, kPaintPhase, kClickPhase, kTeardownPhase, kPhaseCount };

// The ratio ours/bare that each timed figure should stay within; Execute to
// the first complete paint has its own.
constexpr double kTargetRatio = 1.30;
constexpr double kPaintedTargetRatio = 1.05;

struct TreeCheck {
  bool identical = false;
  int windows = 0;
  std::string oursCommonControls;
  std::string bareCommonControls;
  std::vector<std::string> differences;  // pairs of lines, ours then bare
};

struct LayoutInfo {
  std::string fontFace;
  int fontHeight = 0;
  int labels = 0;
  int autoSizedLabels = 0;
  int labelsAlreadyFitting = 0;
  double clockMHz = 0;
};

struct CycleCounts {
  ProcessCounters before;
  ProcessCounters halfway;
  ProcessCounters after;
};

struct Report {
  int rounds = 0;
  int warmup = 0;
  int cycles = 0;
  int warmupCycles = 0;
  LayoutInfo layout;
  TreeCheck trees;
  std::vector<double> ours[kFigureCount];
  std::vector<double> bare[kFigureCount];
  std::vector<double> pass;                     // ours: the activation event alone
  std::vector<double> oursPhases[kPhaseCount];  // ours without its activation pass
  std::vector<double> barePhases[kPhaseCount];
  int timeouts = 0;
  int maxStillInvalid = 0;
  CycleCounts oursCycles;
  CycleCounts bareCycles;
};

LayoutInfo DescribeLayout();
void PrintText(const Report& report);
void PrintJson(const Report& report);

}  // namespace bench
