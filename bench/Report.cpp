#include "bench/Report.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iterator>

#include "bench/BareDialog.h"
#include "bench/Measure.h"

namespace bench {

namespace {

struct FigureInfo {
  const char* key;
  const char* title;
  double target;  // the ratio ours/bare this figure should stay within
};
// What the user waits for, the dialog shown and filled, has the tighter target.
constexpr FigureInfo kFigures[kFigureCount] = {
    {"execute_to_activated", "Execute -> end of activation", kTargetRatio},
    {"execute_to_activated_without_pass", "  ours without its activation pass", kTargetRatio},
    {"execute_to_painted", "Execute -> first complete paint", kPaintedTargetRatio},
    {"execute_to_painted_without_pass", "  ours without its activation pass", kTargetRatio},
    {"execute_to_return", "Execute -> return (closed with OK)", kTargetRatio},
    {"execute_to_return_without_pass", "  ours without its activation pass", kTargetRatio},
    {"construct", "construction: form + 75 controls", kTargetRatio},
    {"destroy", "destruction", kTargetRatio},
};

double Ratio(const Summary& ours, const Summary& bare) {
  return bare.median > 0 ? ours.median / bare.median : 0;
}

const char* Verdict(double ratio, double target) { return ratio <= target ? "OK" : "MISSED"; }

// The counter rows: title, JSON key and reading; the first kCountRows are
// exact counts, the rest memory.
struct CounterRow {
  const char* title;
  const char* key;
  long long (*read)(const ProcessCounters&);
};
constexpr CounterRow kCounterRows[] = {
    {"thread top-level windows", "top_level_windows",
     [](const ProcessCounters& c) -> long long { return c.topLevelWindows; }},
    {"thread windows (all)", "all_windows",
     [](const ProcessCounters& c) -> long long { return c.allWindows; }},
    {"kernel handles (process)", "kernel_handles",
     [](const ProcessCounters& c) -> long long { return c.kernelHandles; }},
    {"GDI objects (process)", "gdi_objects",
     [](const ProcessCounters& c) -> long long { return c.gdiObjects; }},
    {"working set, KiB", "working_set_kib",
     [](const ProcessCounters& c) -> long long { return c.workingSet / 1024; }},
    {"pagefile usage, KiB", "pagefile_usage_kib",
     [](const ProcessCounters& c) -> long long { return c.pagefileUsage / 1024; }},
};
constexpr int kCountRows = 4;

long long Value(const ProcessCounters& c, int row) { return kCounterRows[row].read(c); }

// Memory growth per cycle beyond what the bare dialog shows in the same
// cycles (Wine's own keeping) that still counts as noise: one dialog's
// objects take far more than this.
constexpr long long kMemoryLeakKiBPerCycle = 1;

long long SecondHalfPagefileKiB(const CycleCounts& c) { return Value(c.after, 5) - Value(c.halfway, 5); }

struct LeakVerdict {
  bool countsBack = true;
  bool memoryFlat = true;
  long long excessKiB = 0;  // second-half pagefile growth beyond the baseline's
  std::string text;
};

// Counts must come back exactly. Memory growth that goes on in the second
// half is what repeats per showing; the baseline (the bare dialog) shows how
// much of it is Wine's own.
LeakVerdict JudgeLeaks(const CycleCounts& c, const CycleCounts* baseline, int cycles) {
  LeakVerdict v;
  for (int row = 0; row < kCountRows; ++row) {
    if (Value(c.before, row) >= 0 && Value(c.after, row) != Value(c.before, row)) v.countsBack = false;
  }
  if (baseline) {
    v.excessKiB = SecondHalfPagefileKiB(c) - SecondHalfPagefileKiB(*baseline);
    v.memoryFlat = v.excessKiB <= kMemoryLeakKiBPerCycle * (cycles - cycles / 2);
  }
  v.text = v.countsBack && v.memoryFlat ? "no leak" : "LEAK";
  return v;
}

void PrintCycles(const char* who, const CycleCounts& c, const CycleCounts* baseline, int cycles) {
  const LeakVerdict leak = JudgeLeaks(c, baseline, cycles);
  std::printf("%-28s %10s %10s %10s %10s\n", who, "before", "halfway", "after", "delta");
  for (int row = 0; row < static_cast<int>(std::size(kCounterRows)); ++row) {
    const long long before = Value(c.before, row), halfway = Value(c.halfway, row),
                    after = Value(c.after, row);
    if (before < 0) {
      std::printf("  %-26s %10s %10s %10s %10s\n", kCounterRows[row].title, "n/a", "n/a", "n/a", "n/a");
    } else {
      std::printf("  %-26s %10lld %10lld %10lld %+10lld\n", kCounterRows[row].title, before, halfway, after,
                  after - before);
    }
  }
  std::printf("  %s: windows, kernel handles and GDI objects %s; pagefile usage %+lld KiB over the last %d\n",
              leak.text.c_str(), leak.countsBack ? "back to their counts" : "NOT back to their counts",
              SecondHalfPagefileKiB(c), cycles - cycles / 2);
  if (baseline) {
    std::printf("  cycles, %+lld KiB beyond the bare dialog's (limit %lld KiB per cycle)\n", leak.excessKiB,
                kMemoryLeakKiBPerCycle);
  } else {
    std::printf("  cycles: Wine's own keeping, the baseline for ours\n");
  }
}

nlohmann::json CyclesJson(const CycleCounts& c, const CycleCounts* baseline, int cycles) {
  nlohmann::json out = {{"verdict", JudgeLeaks(c, baseline, cycles).text},
                        {"second_half_pagefile_kib", SecondHalfPagefileKiB(c)}};
  for (int row = 0; row < static_cast<int>(std::size(kCounterRows)); ++row) {
    const long long before = Value(c.before, row);
    out["counters"][kCounterRows[row].key] = before < 0
                                                 ? nlohmann::json(nullptr)
                                                 : nlohmann::json{{"before", before},
                                                                  {"halfway", Value(c.halfway, row)},
                                                                  {"after", Value(c.after, row)},
                                                                  {"delta", Value(c.after, row) - before}};
  }
  return out;
}

struct PhaseInfo {
  const char* key;
  const char* title;
};
constexpr PhaseInfo kPhases[kPhaseCount] = {
    {"build", "call -> host disabled (dialog built)"},
    {"show", "-> end of activation (ours: its pass left out)"},
    {"paint", "-> first complete paint"},
    {"click", "-> host enabled (OK handled, loop over)"},
    {"teardown", "-> return (hidden, destroyed)"},
};

void PrintPhases(const Report& r) {
  std::printf(
      "\nExecute runs cut into phases (medians of each run's phase; ours without its activation pass)\n");
  std::printf("%-50s %9s %9s %9s %7s\n", "phase", "ours", "bare", "ours-bare", "ratio");
  for (int p = 0; p < kPhaseCount; ++p) {
    const double ours = Summarise(r.oursPhases[p]).median, bare = Summarise(r.barePhases[p]).median;
    std::printf("%-50s %9.0f %9.0f %+9.0f %7.2f\n", kPhases[p].title, ours, bare, ours - bare,
                bare > 0 ? ours / bare : 0);
  }
}

}  // namespace

LayoutInfo DescribeLayout() {
  const BareTemplate& t = Template();
  LayoutInfo info;
  char face[LF_FACESIZE * 3] = {};
  ::WideCharToMultiByte(CP_UTF8, 0, t.fontFace.c_str(), -1, face, sizeof face, nullptr, nullptr);
  info.fontFace = face;
  info.fontHeight = t.fontHeight;
  for (const dialog::ControlLayout& row : dialog::kSysDlgLayout)
    info.labels += row.kind == dialog::ControlKind::Label;
  info.autoSizedLabels = t.autoSizedLabels;
  info.labelsAlreadyFitting = t.labelsAlreadyFitting;
  info.clockMHz = static_cast<double>(TicksPerSecond()) / 1e6;
  return info;
}

void PrintText(const Report& r) {
  std::printf("Zentrix dialog benchmark\n");
  std::printf(
      "  ours: plugin::ExecuteProc(0, host) showing TSysInfoDlg; bare: the same windows made directly\n");
  std::printf("  with CreateWindowEx from the same layout table, shown with a plain modal loop\n");
  std::printf(
      "  %d timed rounds after %d warm-up rounds; ours and bare alternate (ours first in even rounds)\n",
      r.rounds, r.warmup);
  std::printf("  clock: QueryPerformanceCounter, %.3f MHz; all times in microseconds\n", r.layout.clockMHz);
  std::printf("  trees as shown: %s (%d windows each: form, 75 controls, list view header)\n",
              r.trees.identical ? "identical" : "DIFFERENT", r.trees.windows);
  for (const std::string& line : r.trees.differences) std::printf("    %s\n", line.c_str());
  std::printf("  common controls: ours %s, bare %s\n", r.trees.oursCommonControls.c_str(),
              r.trees.bareCommonControls.c_str());
  std::printf(
      "  font: \"%s\" %d; %d labels, %d auto-sized, %d of those already stored at their measured size\n",
      r.layout.fontFace.c_str(), r.layout.fontHeight, r.layout.labels, r.layout.autoSizedLabels,
      r.layout.labelsAlreadyFitting);
  std::printf("  (bare: sizes measured once at start, as a dialog template would carry them)\n");
  std::printf(
      "  end of activation: ours when FormActivate returns; bare when shown with the focus on the tabs\n");
  std::printf("  first complete paint: the first message the modal loop retrieves after activation while\n");
  std::printf(
      "  GetQueueStatus(QS_PAINT) reports no WM_PAINT left for the thread, i.e. the form and every\n");
  std::printf(
      "  visible child have painted (a marker posted after each WM_PAINT catches the moment); tree\n");
  std::printf(
      "  windows still holding an update region then: %d (max over all runs); watchdog timeouts: %d\n\n",
      r.maxStillInvalid, r.timeouts);

  std::printf("%-38s %11s %9s %11s %9s   %s\n", "figure", "ours median", "p90", "bare median", "p90",
              "ours/bare");
  for (int f = 0; f < kFigureCount; ++f) {
    const Summary ours = Summarise(r.ours[f]);
    const Summary bare = Summarise(r.bare[f]);
    const double ratio = Ratio(ours, bare);
    std::printf("%-38s %11.0f %9.0f %11.0f %9.0f   ratio %.2f (target <= %.2f) %s\n", kFigures[f].title,
                ours.median, ours.p90, bare.median, bare.p90, ratio, kFigures[f].target,
                Verdict(ratio, kFigures[f].target));
  }
  const Summary pass = Summarise(r.pass);
  std::printf("%-38s %11.0f %9.0f   (FormActivate alone: the gathering pass, no bare counterpart)\n",
              "ours' activation pass", pass.median, pass.p90);

  PrintPhases(r);

  std::printf(
      "\nWineserver requests per phase (exact counts, free of timing noise): bench/server-calls.sh\n");
  std::printf("\nLeak count: %d Execute/close cycles after %d warm-up cycles; the bare dialog run the same\n",
              r.cycles, r.warmupCycles);
  std::printf("way shows what Wine itself keeps per showing\n");
  PrintCycles("ours", r.oursCycles, &r.bareCycles, r.cycles);
  PrintCycles("bare", r.bareCycles, nullptr, r.cycles);
  std::printf("GDI objects: %s\n", GdiCountingMethod().c_str());
}

void PrintJson(const Report& r) {
  using nlohmann::json;
  json out;
  out["rounds"] = r.rounds;
  out["warmup_rounds"] = r.warmup;
  out["clock_mhz"] = r.layout.clockMHz;
  out["unit"] = "microseconds";
  out["target_ratio"] = kTargetRatio;
  out["trees"] = {{"identical", r.trees.identical},
                  {"windows", r.trees.windows},
                  {"differences", r.trees.differences},
                  {"ours_common_controls", r.trees.oursCommonControls},
                  {"bare_common_controls", r.trees.bareCommonControls}};
  out["font"] = {{"face", r.layout.fontFace}, {"height", r.layout.fontHeight}};
  out["labels"] = {{"count", r.layout.labels},
                   {"auto_sized", r.layout.autoSizedLabels},
                   {"already_fitting", r.layout.labelsAlreadyFitting}};
  out["paint_probe"] = {{"max_still_invalid", r.maxStillInvalid}, {"timeouts", r.timeouts}};
  const Summary pass = Summarise(r.pass);
  out["ours_activation_pass"] = {{"median", pass.median}, {"p90", pass.p90}};
  for (int p = 0; p < kPhaseCount; ++p) {
    out["execute_phases"][kPhases[p].key] = {{"ours", Summarise(r.oursPhases[p]).median},
                                             {"bare", Summarise(r.barePhases[p]).median}};
  }
  for (int f = 0; f < kFigureCount; ++f) {
    const Summary ours = Summarise(r.ours[f]);
    const Summary bare = Summarise(r.bare[f]);
    out["figures"][kFigures[f].key] = {{"ours", {{"median", ours.median}, {"p90", ours.p90}}},
                                       {"bare", {{"median", bare.median}, {"p90", bare.p90}}},
                                       {"ratio", Ratio(ours, bare)},
                                       {"target", kFigures[f].target},
                                       {"within_target", Ratio(ours, bare) <= kFigures[f].target}};
  }
  out["leaks"] = {{"cycles", r.cycles},
                  {"warmup_cycles", r.warmupCycles},
                  {"gdi_method", GdiCountingMethod()},
                  {"ours", CyclesJson(r.oursCycles, &r.bareCycles, r.cycles)},
                  {"bare", CyclesJson(r.bareCycles, nullptr, r.cycles)}};
  std::printf("%s\n", out.dump(2).c_str());
}

}  // namespace bench
