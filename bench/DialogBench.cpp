// dialog_bench: our system information dialog, shown through the Execute
// entry, against the same tree of windows made directly with Win32, timed
// side by side in one process; then repeated showings counted for leaks.
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
#include "bench/Measure.h"
#include "bench/Report.h"
#include "bench/TreeDump.h"
#include "dialog/SysDlg.h"
#include "host/OwnerWindow.h"
#include "plugin/PlugInEntries.h"
#include "toolkit/Application.h"
#include "toolkit/Form.h"

namespace {

using bench::Now;

// The toolkit's application object, as the library has it while loaded.
struct ApplicationScope {
  ApplicationScope() { toolkit::CreateApplication(); }
  ~ApplicationScope() { toolkit::DestroyApplication(); }
  ApplicationScope(const ApplicationScope&) = delete;
  ApplicationScope& operator=(const ApplicationScope&) = delete;
};

struct Options {
  int rounds = 50;
  int warmup = 5;
  int cycles = 200;
  int warmupCycles = 10;
  bool json = false;
  bool marks = false;
};

// One showing: ticks from the call to the end of activation, to the first
// complete paint and to the return.
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

// Optional looks at a showing: once shown, before the activation event (the
// tree as built), and at the first complete paint.
struct Looks {
  std::function<void(HWND)> atShown;
  std::function<void(HWND)> atPaint;
};

// What the current showing of ours needs from the hooks below.
struct OursShowing {
  LONGLONG passStartedAt = 0;
  LONGLONG activatedAt = 0;
  bool wrapped = false;
  Looks looks;
};
OursShowing* oursShowing = nullptr;

bool ProbingKeyFilter(const MSG& message) {
  probe->OnRetrieved(message);
  return toolkit::HandleFormKey(message);
}

void CloseWithOk(HWND okButton) { ::PostMessageW(okButton, BM_CLICK, 0, 0); }

// The launcher disables the host window inside ShowModal, after the dialog
// exists and before its activation event: the one point where the event can
// be wrapped to note the time it ends, without touching the library.
void WrapActivation() {
  dialog::TSysInfoDlg* dlg = dialog::SysInfoDlg;
  if (!oursShowing || oursShowing->wrapped || !dlg) return;
  oursShowing->wrapped = true;
  dlg->onActivate = [inner = dlg->onActivate, dlg] {
    const HWND form = dlg->Handle();
    if (oursShowing->looks.atShown) oursShowing->looks.atShown(form);
    Mark("execute:pass");
    oursShowing->passStartedAt = Now();
    if (inner) inner();
    oursShowing->activatedAt = Now();
    Mark("execute:paint");
    // The modal loop hands every retrieved message to the key filter first.
    toolkit::Application->SetKeyFilter(ProbingKeyFilter);
    probe->Start(form, [form] {
      Mark("execute:click");
      if (oursShowing->looks.atPaint) oursShowing->looks.atPaint(form);
      CloseWithOk(::GetDlgItem(form, dialog::id_OKBtn));
    });
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

Showing ShowOurs(HWND host, Looks looks = {}) {
  OursShowing state;
  state.looks = std::move(looks);
  oursShowing = &state;
  const LONGLONG start = Now();
  const uint32_t result = plugin::ExecuteProc(0, host);
  const LONGLONG end = Now();
  oursShowing = nullptr;
  toolkit::Application->SetKeyFilter(toolkit::HandleFormKey);
  if (result != plugin::kExecuteClosed || !state.wrapped || probe->Armed()) {
    throw std::runtime_error("our dialog did not run its course (Execute gave " + std::to_string(result) +
                             ")");
  }
  return {state.activatedAt - state.passStartedAt,
          hostDisabledAt - start,
          state.activatedAt - start,
          probe->PaintedAt() - start,
          end - start,
          hostEnabledAt - start,
          probe->TimedOut(),
          probe->StillInvalidAtMoment()};
}

Showing ShowBare(HWND host, Looks looks = {}) {
  LONGLONG activatedAt = 0;
  const LONGLONG start = Now();
  {
    bench::BareDialog dlg(host);
    const HWND form = dlg.Handle();
    dlg.ShowModal(
        [&] {
          if (looks.atShown) looks.atShown(form);
          activatedAt = Now();
          Mark("execute:paint");
          probe->Start(form, [&] {
            Mark("execute:click");
            if (looks.atPaint) looks.atPaint(form);
            CloseWithOk(dlg.Window(dialog::id_OKBtn));
          });
        },
        [](const MSG& message) { probe->OnRetrieved(message); });
  }
  const LONGLONG end = Now();
  if (probe->Armed()) throw std::runtime_error("the bare dialog did not run its course");
  return {0,           hostDisabledAt - start, activatedAt - start, probe->PaintedAt() - start,
          end - start, hostEnabledAt - start,  probe->TimedOut(),   probe->StillInvalidAtMoment()};
}

struct Lifetime {
  LONGLONG built = 0;
  LONGLONG destroyed = 0;
};

Lifetime BuildOurs(HWND host) {
  // As the launcher does: the host window owns the form.
  toolkit::Application->SetHandle(host);
  const LONGLONG start = Now();
  auto dlg = std::make_unique<dialog::TSysInfoDlg>();
  const LONGLONG built = Now();
  dlg.reset();
  const LONGLONG destroyed = Now();
  toolkit::Application->SetHandle(nullptr);
  return {built - start, destroyed - built};
}

Lifetime BuildBare(HWND host) {
  const LONGLONG start = Now();
  auto dlg = std::make_unique<bench::BareDialog>(host);
  const LONGLONG built = Now();
  dlg.reset();
  const LONGLONG destroyed = Now();
  return {built - start, destroyed - built};
}

bench::TreeCheck CompareTrees(HWND host) {
  std::vector<std::string> ours, bare;
  bench::TreeCheck check;
  // Before the activation event: ours fills its value labels there, which
  // the bare dialog has no counterpart for.
  Looks oursLooks;
  oursLooks.atShown = [&](HWND form) {
    // While the activation event runs, the dialog keeps its shown page from
    // painting (WM_SETREDRAW, which takes the page out of IsWindowVisible);
    // the tree as shown is the one without that.
    const HWND strip = ::GetDlgItem(form, dialog::id_SysPageControl);
    const HWND page = ::GetDlgItem(strip, dialog::kPageOrder[0]);
    ::SendMessageW(page, WM_SETREDRAW, TRUE, 0);
    ours = bench::DumpTree(form);
    ::SendMessageW(page, WM_SETREDRAW, FALSE, 0);
    check.oursCommonControls = bench::ProcedureModule(::GetDlgItem(form, dialog::id_SysPageControl));
  };
  ShowOurs(host, oursLooks);
  bench::Settle();
  Looks bareLooks;
  bareLooks.atShown = [&](HWND form) {
    bare = bench::DumpTree(form);
    check.bareCommonControls = bench::ProcedureModule(::GetDlgItem(form, dialog::id_SysPageControl));
  };
  ShowBare(host, bareLooks);
  bench::Settle();
  check.windows = static_cast<int>(ours.size());
  check.identical = ours == bare;
  const size_t lines = std::max(ours.size(), bare.size());
  for (size_t i = 0; i < lines && check.differences.size() < 16; ++i) {
    const std::string a = i < ours.size() ? ours[i] : "(none)";
    const std::string b = i < bare.size() ? bare[i] : "(none)";
    if (a != b) {
      check.differences.push_back("ours: " + a);
      check.differences.push_back("bare: " + b);
    }
  }
  return check;
}

// One of each, marked, after a few unmarked warm-up rounds.
void MarkOnce(HWND host) {
  for (int i = 0; i < 3; ++i) {
    BuildOurs(host);
    BuildBare(host);
    ShowOurs(host);
    ShowBare(host);
    bench::Settle();
  }
  const auto run = [](const char* name) { markRun = name; };
  toolkit::Application->SetHandle(host);
  run("ours");
  Mark("construction");
  auto ours = std::make_unique<dialog::TSysInfoDlg>();
  Mark("destruction");
  ours.reset();
  Mark(nullptr);
  toolkit::Application->SetHandle(nullptr);
  bench::Settle();
  run("bare");
  Mark("construction");
  auto bare = std::make_unique<bench::BareDialog>(host);
  Mark("destruction");
  bare.reset();
  Mark(nullptr);
  bench::Settle();
  run("ours");
  Mark("execute:build");
  ShowOurs(host);
  Mark(nullptr);
  bench::Settle();
  run("bare");
  Mark("execute:build");
  ShowBare(host);
  Mark(nullptr);
  bench::Settle();
  markRun = nullptr;
}

void TimeRounds(HWND host, const Options& options, bench::Report& report) {
  for (int round = 0; round < options.warmup + options.rounds; ++round) {
    const bool record = round >= options.warmup;
    // Alternating which goes first, so that neither always follows the other.
    const bool oursFirst = round % 2 == 0;
    for (int turn = 0; turn < 2; ++turn) {
      const bool ours = (turn == 0) == oursFirst;
      const Showing s = ours ? ShowOurs(host) : ShowBare(host);
      bench::Settle();
      if (!record) continue;
      auto& side = ours ? report.ours : report.bare;
      side[bench::kActivated].push_back(bench::Micros(s.activated));
      side[bench::kPainted].push_back(bench::Micros(s.painted));
      side[bench::kReturned].push_back(bench::Micros(s.returned));
      // The bare dialog has no pass: its figures stand as they are.
      side[bench::kActivatedNoPass].push_back(bench::Micros(s.activated - s.pass));
      side[bench::kPaintedNoPass].push_back(bench::Micros(s.painted - s.pass));
      side[bench::kReturnedNoPass].push_back(bench::Micros(s.returned - s.pass));
      if (ours) report.pass.push_back(bench::Micros(s.pass));
      auto& phases = ours ? report.oursPhases : report.barePhases;
      phases[bench::kBuildPhase].push_back(bench::Micros(s.hostDisabled));
      phases[bench::kShowPhase].push_back(bench::Micros(s.activated - s.pass - s.hostDisabled));
      phases[bench::kPaintPhase].push_back(bench::Micros(s.painted - s.activated));
      phases[bench::kClickPhase].push_back(bench::Micros(s.hostEnabled - s.painted));
      phases[bench::kTeardownPhase].push_back(bench::Micros(s.returned - s.hostEnabled));
      report.timeouts += s.timedOut;
      report.maxStillInvalid = std::max(report.maxStillInvalid, s.stillInvalid);
    }
    for (int turn = 0; turn < 2; ++turn) {
      const bool ours = (turn == 0) == oursFirst;
      const Lifetime l = ours ? BuildOurs(host) : BuildBare(host);
      bench::Settle();
      if (!record) continue;
      auto& side = ours ? report.ours : report.bare;
      side[bench::kBuilt].push_back(bench::Micros(l.built));
      side[bench::kDestroyed].push_back(bench::Micros(l.destroyed));
    }
  }
}

bench::CycleCounts CountCycles(HWND host, const Options& options, bool ours) {
  const auto show = [&] { ours ? ShowOurs(host) : ShowBare(host); };
  // The first showings load libraries and fill caches; only what a showing
  // leaves behind after those is a leak.
  for (int i = 0; i < options.warmupCycles; ++i) {
    show();
    bench::Settle();
  }
  bench::CycleCounts counts;
  bench::Settle(20);
  counts.before = bench::SampleCounters();
  for (int i = 0; i < options.cycles; ++i) {
    show();
    bench::Settle(1);
    if (i + 1 == options.cycles / 2) {
      bench::Settle(20);
      counts.halfway = bench::SampleCounters();
    }
  }
  bench::Settle(20);
  counts.after = bench::SampleCounters();
  return counts;
}

int Argument(int argc, char** argv, int& i) {
  if (i + 1 >= argc) throw std::invalid_argument(std::string(argv[i]) + " needs a number");
  const int value = std::atoi(argv[++i]);
  if (value <= 0) throw std::invalid_argument(std::string(argv[i - 1]) + " needs a positive number");
  return value;
}

Options Parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--rounds")) {
      options.rounds = Argument(argc, argv, i);
    } else if (!std::strcmp(argv[i], "--warmup")) {
      options.warmup = Argument(argc, argv, i);
    } else if (!std::strcmp(argv[i], "--cycles")) {
      options.cycles = Argument(argc, argv, i);
    } else if (!std::strcmp(argv[i], "--json")) {
      options.json = true;
    } else if (!std::strcmp(argv[i], "--marks")) {
      options.marks = true;
    } else {
      throw std::invalid_argument(
          "usage: dialog_bench [--rounds N (50)] [--warmup N (5)] [--cycles N (200)] [--json] [--marks]");
    }
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Options options = Parse(argc, argv);
    const ApplicationScope application;
    bench::PaintProbe paintProbe;
    probe = &paintProbe;
    const host::OwnerWindow hostWindow(L"dialog_bench host", HostProcedure);
    const HWND host = hostWindow.Handle();
    if (!host) throw std::runtime_error("host window");
    ::SetForegroundWindow(host);
    ::SetActiveWindow(host);
    bench::Settle(20);

    if (options.marks) {
      MarkOnce(host);
      return 0;
    }
    bench::Report report;
    report.rounds = options.rounds;
    report.warmup = options.warmup;
    report.cycles = options.cycles;
    report.warmupCycles = options.warmupCycles;
    report.layout = bench::DescribeLayout();
    report.trees = CompareTrees(host);
    TimeRounds(host, options, report);
    report.oursCycles = CountCycles(host, options, true);
    // The same for the bare dialog: what Wine itself keeps per showing.
    report.bareCycles = CountCycles(host, options, false);

    if (options.json) {
      bench::PrintJson(report);
    } else {
      bench::PrintText(report);
    }
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "dialog_bench: %s\n", error.what());
    return 1;
  }
}
