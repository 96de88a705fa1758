#include "bench/Report.h"

#include <array>
#include <cstdio>

#include "bench/BareDialog.h"
#include "bench/Measure.h"
#include "host/WindowRead.h"

namespace bench {

namespace {

struct FigureInfo {
  const char* title;
  double target;        // the ratio ours/bare this figure should stay within
  const char* inTable;  // the baseline's name in the table of every benchmark
};
// What the user waits for, the dialog shown and filled, has the tighter
// target, against the floor that can fill it: the bare dialog making the
// activation pass's calls (the bare dialog alone gathers nothing).
constexpr char kBare[] = "bare Win32 dialog, same 75 windows";
constexpr char kBareWithPass[] = "bare Win32 dialog plus the activation pass's registry and system calls";
constexpr FigureInfo kFigures[kPass] = {
    {"Execute -> end of activation", 1.30, kBare},
    {"  the same, without the activation pass", 1.30, kBare},
    {"Execute -> first complete paint", 0, kBare},
    {"  the same, without the activation pass", 1.30, kBare},
    {"Execute -> return (closed with OK)", 1.30, nullptr},
    {"  the same, without the activation pass", 1.30, nullptr},
    {"creating the form and its 75 controls", 1.30, kBare},
    {"destroying them", 1.30, kBare},
};

constexpr const char* kPhaseTitles[kPhaseCount] = {
    "call -> host disabled (dialog built)",
    "-> end of activation (ours: its pass left out)",
    "-> first complete paint",
    "-> host enabled (OK handled, loop over)",
    "-> return (hidden, destroyed)",
};

// The counter rows; the first kCountRows are exact counts, the rest memory.
constexpr const char* kCounterTitles[] = {"thread top-level windows", "thread windows (all)",
                                          "kernel handles (process)", "GDI objects (process)",
                                          "working set, KiB",         "pagefile usage, KiB"};
constexpr size_t kCountRows = 4;
constexpr size_t kPagefileRow = 5;

std::array<long long, std::size(kCounterTitles)> Values(const host::ProcessCounters& c) {
  return {c.topLevelWindows,
          c.allWindows,
          c.kernelHandles,
          c.gdiObjects,
          static_cast<long long>(c.workingSet / 1024),
          static_cast<long long>(c.pagefileUsage / 1024)};
}

// Memory growth per cycle beyond what the bare dialog shows in the same
// cycles (Wine's own keeping) that still counts as noise: one dialog's
// objects take far more than this.
constexpr long long kMemoryLeakKiBPerCycle = 1;

long long SecondHalfPagefileKiB(const CycleCounts& c) {
  return Values(c.after)[kPagefileRow] - Values(c.halfway)[kPagefileRow];
}

// Counts must come back exactly. Memory growth that goes on in the second
// half is what repeats per showing; the baseline (the bare dialog) shows how
// much of it is Wine's own.
void PrintCycles(const char* who, const CycleCounts& c, const CycleCounts* baseline, int cycles) {
  const auto before = Values(c.before), halfway = Values(c.halfway), after = Values(c.after);
  bool countsBack = true;
  std::printf("%-28s %10s %10s %10s %10s\n", who, "before", "halfway", "after", "delta");
  for (size_t row = 0; row < before.size(); ++row) {
    if (before[row] < 0) {
      std::printf("  %-26s %10s %10s %10s %10s\n", kCounterTitles[row], "n/a", "n/a", "n/a", "n/a");
      continue;
    }
    std::printf("  %-26s %10lld %10lld %10lld %+10lld\n", kCounterTitles[row], before[row], halfway[row],
                after[row], after[row] - before[row]);
    if (row < kCountRows && after[row] != before[row]) countsBack = false;
  }
  const long long excessKiB = baseline ? SecondHalfPagefileKiB(c) - SecondHalfPagefileKiB(*baseline) : 0;
  const bool memoryFlat = excessKiB <= kMemoryLeakKiBPerCycle * (cycles - cycles / 2);
  std::printf("  %s: windows, kernel handles and GDI objects %s; pagefile usage %+lld KiB over the last %d\n",
              countsBack && memoryFlat ? "no leak" : "LEAK",
              countsBack ? "back to their counts" : "NOT back to their counts", SecondHalfPagefileKiB(c),
              cycles - cycles / 2);
  if (baseline) {
    std::printf("  cycles, %+lld KiB beyond the bare dialog's (limit %lld KiB per cycle)\n", excessKiB,
                kMemoryLeakKiBPerCycle);
  } else {
    std::printf("  cycles: Wine's own keeping, the baseline for ours\n");
  }
}

}  // namespace

void Print(const Report& r) {
  const BareTemplate& t = Template();
  int labels = 0;
  for (const dialog::ControlLayout& row : dialog::kSysDlgLayout)
    labels += row.kind == dialog::ControlKind::Label;
  const SideFigures &ours = r.sides[kOursSide], &bare = r.sides[kBareSide],
                    &withPass = r.sides[kBareWithPassSide];
  std::printf(
      "Zentrix dialog benchmark: ours is plugin::ExecuteProc(0, host) showing TSysInfoDlg; bare, the\n");
  std::printf("same windows made with CreateWindowEx from the same layout table and a plain modal loop\n");
  std::printf(
      "  %d timed rounds after %d warm-up rounds, ours, bare and bare with the pass's calls in turn;\n",
      r.rounds, r.warmup);
  std::printf("  clock %.3f MHz\n", static_cast<double>(TicksPerSecond()) / 1e6);
  std::printf("  trees as shown: %s (%d windows each: form, %d controls, list view header)\n",
              r.trees.identical ? "identical" : "DIFFERENT", r.trees.windows, dialog::kControlCount);
  for (const std::string& line : r.trees.differences) std::printf("    %s\n", line.c_str());
  std::printf("  common controls: ours %s, bare %s\n", r.trees.commonControls[0].c_str(),
              r.trees.commonControls[1].c_str());
  std::printf(
      "  font: \"%s\" %d; %d labels, %d auto-sized, %d of those stored at the size bare measures once\n",
      host::Utf8(t.fontFace).c_str(), t.fontHeight, labels, t.autoSizedLabels, t.labelsAlreadyFitting);
  std::printf(
      "  end of activation: ours when FormActivate returns, bare when shown and focused; first complete\n");
  std::printf(
      "  paint: no WM_PAINT left for the thread, with %d windows still invalid then (the most in a run)\n",
      r.maxStillInvalid);
  std::printf("  and %d watchdog timeouts\n\n", r.timeouts);

  PrintHeading();
  for (int f = 0; f < kPass; ++f) {
    PrintPair(kFigures[f].title, ours.figures[f], bare.figures[f], kFigures[f].target, kFigures[f].inTable);
    if (f == kPainted) {
      PrintPair("  the same, against the bare dialog making the pass's calls", ours.figures[f],
                withPass.figures[f], 1.05, kBareWithPass);
    }
  }
  PrintRow("ours' activation pass (no bare counterpart)", ours.figures[kPass]);
  std::printf("\nExecute runs cut into phases (ours without its activation pass)\n");
  for (int p = 0; p < kPhaseCount; ++p) PrintPair(kPhaseTitles[p], ours.phases[p], bare.phases[p]);

  std::printf(
      "\nWineserver requests per phase (exact counts, free of timing noise): bench/server-calls.sh\n");
  std::printf("\nLeak count: %d Execute/close cycles after %d warm-up cycles; the bare dialog run the same\n",
              r.cycles, r.warmupCycles);
  std::printf("way shows what Wine itself keeps per showing\n");
  PrintCycles("ours", ours.cycles, &bare.cycles, r.cycles);
  PrintCycles("bare", bare.cycles, nullptr, r.cycles);
  std::printf("GDI objects: %s\n", host::GdiCountingMethod().c_str());
}

}  // namespace bench
