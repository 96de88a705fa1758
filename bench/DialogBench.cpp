// dialog_bench: our system information dialog, shown through the Execute
// entry, against the same tree of windows made directly with Win32, and
// against that tree plus the activation pass's platform calls (the floor of
// a dialog that opens filled), timed side by side in one process; then
// repeated showings counted for leaks.
// Prints figures; judges nothing but the printed ratios.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BareDialog.h"
#include "bench/BarePass.h"
#include "bench/Measure.h"
#include "bench/Report.h"
#include "bench/TreeDump.h"
#include "dialog/SysDlg.h"
#include "host/OwnerWindow.h"
#include "plugin/PlugInEntries.h"
#include "tests/ApplicationScope.h"
#include "toolkit/Application.h"
#include "toolkit/Form.h"

namespace {

using bench::Now;

// One showing: ticks from the call to each mark.
struct Showing {
  LONGLONG pass = 0;  // ours: the activation event's own work
  LONGLONG hostDisabled = 0;
  LONGLONG activated = 0;
  LONGLONG painted = 0;
  LONGLONG returned = 0;
  LONGLONG hostEnabled = 0;
  bool timedOut = false;
  int stillInvalid = 0;
};

// Both modal loops disable the host window when the dialog is built and
// enable it again when the loop has ended: phase marks common to both.
LONGLONG hostDisabledAt = 0;
LONGLONG hostEnabledAt = 0;

bench::PaintProbe* probe = nullptr;

// Phase marks for a trace (WINEDEBUG=+server,+debugstr; bench/server-calls.sh
// counts the wineserver requests between them). Off unless --marks.
const char* markRun = nullptr;

void Mark(const char* phase) {
  if (!markRun) return;
  ::OutputDebugStringA(
      (std::string("zx-mark ") + (phase ? std::string(markRun) + "/" + phase : "end")).c_str());
}

// An optional look at the form once shown, before the activation event (the
// tree as built).
using Look = std::function<void(HWND form)>;

// What the current showing of ours needs from the hooks below.
struct OursShowing {
  LONGLONG passStartedAt = 0;
  LONGLONG activatedAt = 0;
  bool wrapped = false;
  Look atShown;
};
OursShowing* oursShowing = nullptr;

bool ProbingKeyFilter(const MSG& message) {
  probe->OnRetrieved(message);
  return toolkit::HandleFormKey(message);
}

// Arms the probe for the first complete paint, then clicks OK.
void ProbeThenClose(HWND form, std::function<HWND()> okButton) {
  Mark("execute:paint");
  probe->Start(form, [okButton = std::move(okButton)] {
    Mark("execute:click");
    ::PostMessageW(okButton(), BM_CLICK, 0, 0);
  });
}

// The launcher disables the host window inside ShowModal, after the dialog
// exists and before its activation event: the one point where the event can
// be wrapped to note the time it ends, without touching the library.
void WrapActivation() {
  dialog::TSysInfoDlg* dlg = dialog::SysInfoDlg;
  if (!oursShowing || oursShowing->wrapped || !dlg) return;
  oursShowing->wrapped = true;
  dlg->onActivate = [inner = dlg->onActivate, dlg] {
    const HWND form = dlg->Handle();
    if (oursShowing->atShown) oursShowing->atShown(form);
    Mark("execute:pass");
    oursShowing->passStartedAt = Now();
    if (inner) inner();
    oursShowing->activatedAt = Now();
    // The modal loop hands every retrieved message to the key filter first.
    toolkit::Application->SetKeyFilter(ProbingKeyFilter);
    ProbeThenClose(form, [form] { return ::GetDlgItem(form, dialog::id_OKBtn); });
  };
}

LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ENABLE && wParam) {
    hostEnabledAt = Now();
    Mark("execute:teardown");
  } else if (message == WM_ENABLE) {
    hostDisabledAt = Now();
    Mark("execute:show");
    WrapActivation();
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// The marks of a showing that ran from `start` to `end`.
Showing Measured(LONGLONG start, LONGLONG passStarted, LONGLONG activated, LONGLONG end) {
  Mark(nullptr);
  return {activated - passStarted,
          hostDisabledAt - start,
          activated - start,
          probe->PaintedAt() - start,
          end - start,
          hostEnabledAt - start,
          probe->TimedOut(),
          probe->StillInvalidAtMoment()};
}

Showing ShowOurs(HWND host, const Look& atShown) {
  OursShowing state;
  state.atShown = atShown;
  oursShowing = &state;
  Mark("execute:build");
  const LONGLONG start = Now();
  const uint32_t result = plugin::ExecuteProc(0, host);
  const LONGLONG end = Now();
  oursShowing = nullptr;
  toolkit::Application->SetKeyFilter(toolkit::HandleFormKey);
  if (result != plugin::kExecuteClosed || !state.wrapped || probe->Armed()) {
    throw std::runtime_error("our dialog did not run its course (Execute gave " + std::to_string(result) +
                             ")");
  }
  return Measured(start, state.passStartedAt, state.activatedAt, end);
}

// The bare dialog; `pass` makes the activation pass's registry and system
// calls where ours runs its pass, before the first paint.
Showing ShowBareDialog(HWND host, const Look& atShown, bool pass) {
  LONGLONG activatedAt = 0;
  Mark("execute:build");
  const LONGLONG start = Now();
  {
    bench::BareDialog dlg(host);
    const HWND form = dlg.Handle();
    dlg.ShowModal(
        [&] {
          if (atShown) atShown(form);
          if (pass) bench::BarePass();
          activatedAt = Now();
          ProbeThenClose(form, [&dlg] { return dlg.Window(dialog::id_OKBtn); });
        },
        [](const MSG& message) { probe->OnRetrieved(message); });
  }
  const LONGLONG end = Now();
  if (probe->Armed()) throw std::runtime_error("the bare dialog did not run its course");
  return Measured(start, activatedAt, activatedAt, end);
}

Showing ShowBare(HWND host, const Look& atShown) { return ShowBareDialog(host, atShown, false); }
Showing ShowBareWithPass(HWND host, const Look& atShown) { return ShowBareDialog(host, atShown, true); }

struct Lifetime {
  LONGLONG built = 0;
  LONGLONG destroyed = 0;
};

// Construction and destruction alone: `make` builds the dialog, its reset
// destroys it.
template <typename Make>
Lifetime TimeLifetime(Make make) {
  Mark("construction");
  const LONGLONG start = Now();
  auto dlg = make();
  const LONGLONG built = Now();
  Mark("destruction");
  dlg.reset();
  const LONGLONG destroyed = Now();
  Mark(nullptr);
  return {built - start, destroyed - built};
}

Lifetime BuildOurs(HWND host) {
  // As the launcher does: the host window owns the form.
  toolkit::Application->SetHandle(host);
  const Lifetime lifetime = TimeLifetime([] { return std::make_unique<dialog::TSysInfoDlg>(); });
  toolkit::Application->SetHandle(nullptr);
  return lifetime;
}

Lifetime BuildBare(HWND host) {
  return TimeLifetime([host] { return std::make_unique<bench::BareDialog>(host); });
}

struct Side {
  const char* name;
  Showing (*show)(HWND host, const Look& atShown);
  Lifetime (*build)(HWND host);  // null: the same as the bare dialog's
};
constexpr Side kSides[bench::kSideCount] = {
    {"ours", ShowOurs, BuildOurs}, {"bare", ShowBare, BuildBare}, {"bare+calls", ShowBareWithPass, nullptr}};

bench::TreeCheck CompareTrees(HWND host) {
  std::vector<std::string> trees[2];
  bench::TreeCheck check;
  // Before the activation event: ours fills its value labels there, which
  // the bare dialog has no counterpart for.
  ShowOurs(host, [&](HWND form) {
    // While the activation event runs, the dialog keeps its shown page from
    // painting (WM_SETREDRAW, which takes the page out of IsWindowVisible);
    // the tree as shown is the one without that.
    const HWND strip = ::GetDlgItem(form, dialog::id_SysPageControl);
    const HWND page = ::GetDlgItem(strip, dialog::kPageOrder[0]);
    ::SendMessageW(page, WM_SETREDRAW, TRUE, 0);
    trees[0] = bench::DumpTree(form);
    ::SendMessageW(page, WM_SETREDRAW, FALSE, 0);
    check.commonControls[0] = bench::ProcedureModule(strip);
  });
  bench::Settle();
  ShowBare(host, [&](HWND form) {
    trees[1] = bench::DumpTree(form);
    check.commonControls[1] = bench::ProcedureModule(::GetDlgItem(form, dialog::id_SysPageControl));
  });
  bench::Settle();
  check.windows = static_cast<int>(trees[0].size());
  check.identical = trees[0] == trees[1];
  for (size_t i = 0; i < std::max(trees[0].size(), trees[1].size()) && check.differences.size() < 16; ++i) {
    const std::string ours = i < trees[0].size() ? trees[0][i] : "(none)";
    const std::string bare = i < trees[1].size() ? trees[1][i] : "(none)";
    if (ours == bare) continue;
    check.differences.push_back("ours: " + ours);
    check.differences.push_back("bare: " + bare);
  }
  return check;
}

// Each side once with its phases marked, ours first, after a few unmarked
// rounds.
void MarkOnce(HWND host) {
  for (int round = 0; round < 4; ++round) {
    for (const Side& side : kSides) {
      markRun = round == 3 ? side.name : nullptr;
      if (side.build) side.build(host);
      bench::Settle();
      side.show(host, {});
      bench::Settle();
    }
  }
  markRun = nullptr;
}

// The bare dialog has no pass: its figures stand as they are.
void Record(const Showing& s, const Lifetime& l, int side, bench::Report& report) {
  const LONGLONG figures[bench::kFigureCount] = {
      s.activated, s.activated - s.pass, s.painted, s.painted - s.pass, s.returned, s.returned - s.pass,
      l.built,     l.destroyed,          s.pass};
  const LONGLONG phases[bench::kPhaseCount] = {s.hostDisabled, s.activated - s.pass - s.hostDisabled,
                                               s.painted - s.activated, s.hostEnabled - s.painted,
                                               s.returned - s.hostEnabled};
  for (int f = 0; f < bench::kFigureCount; ++f)
    report.sides[side].figures[f].push_back(bench::Micros(figures[f]));
  for (int p = 0; p < bench::kPhaseCount; ++p)
    report.sides[side].phases[p].push_back(bench::Micros(phases[p]));
  report.timeouts += s.timedOut;
  report.maxStillInvalid = std::max(report.maxStillInvalid, s.stillInvalid);
}

void TimeRounds(HWND host, bench::Report& report) {
  bench::Rounds(report.warmup, report.rounds, bench::kSideCount,
                [&](const std::vector<int>& order, bool recorded) {
                  Showing showings[bench::kSideCount];
                  Lifetime lifetimes[bench::kSideCount];
                  for (int side : order) {
                    showings[side] = kSides[side].show(host, {});
                    bench::Settle();
                  }
                  for (int side : order) {
                    if (!kSides[side].build) continue;
                    lifetimes[side] = kSides[side].build(host);
                    bench::Settle();
                  }
                  if (recorded) {
                    for (int side : order) Record(showings[side], lifetimes[side], side, report);
                  }
                });
}

bench::CycleCounts CountCycles(HWND host, const bench::Report& report, const Side& side) {
  // The first showings load libraries and fill caches; only what a showing
  // leaves behind after those is a leak.
  for (int i = 0; i < report.warmupCycles; ++i) {
    side.show(host, {});
    bench::Settle();
  }
  bench::CycleCounts counts;
  bench::Settle(20);
  counts.before = host::SampleCounters();
  for (int i = 0; i < report.cycles; ++i) {
    side.show(host, {});
    bench::Settle(1);
    if (i + 1 == report.cycles / 2) {
      bench::Settle(20);
      counts.halfway = host::SampleCounters();
    }
  }
  bench::Settle(20);
  counts.after = host::SampleCounters();
  return counts;
}

// Sets the report's sizes; true for --marks.
bool Parse(int argc, char** argv, bench::Report& report) {
  bool marks = false;
  const std::pair<const char*, int*> numbers[] = {
      {"--rounds", &report.rounds}, {"--warmup", &report.warmup}, {"--cycles", &report.cycles}};
  for (int i = 1; i < argc; ++i) {
    const auto number =
        std::ranges::find_if(numbers, [&](const auto& n) { return !std::strcmp(argv[i], n.first); });
    if (number != std::end(numbers) && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
      *number->second = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--marks")) {
      marks = true;
    } else {
      throw std::invalid_argument(
          "usage: dialog_bench [--rounds N (50)] [--warmup N (5)] [--cycles N (200)] [--marks]");
    }
  }
  return marks;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    bench::Report report;
    const bool marks = Parse(argc, argv, report);
    const ApplicationScope application;
    bench::PaintProbe paintProbe;
    probe = &paintProbe;
    const host::OwnerWindow hostWindow(L"dialog_bench host", HostProcedure);
    const HWND host = hostWindow.Handle();
    if (!host) throw std::runtime_error("host window");
    ::SetForegroundWindow(host);
    ::SetActiveWindow(host);
    bench::Settle(20);

    if (marks) {
      MarkOnce(host);
      return 0;
    }
    report.trees = CompareTrees(host);
    TimeRounds(host, report);
    // The bare dialog's count shows what Wine itself keeps per showing.
    for (int side = 0; side < bench::kBareWithPassSide; ++side)
      report.sides[side].cycles = CountCycles(host, report, kSides[side]);
    bench::Print(report);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "dialog_bench: %s\n", error.what());
    return 1;
  }
}
