// Part 1: the Execute entry of the built library, called as the host calls
// it, over and over.
#include <cstdio>
#include <string>

#include "host/PlugInLibrary.h"
#include "tests/soak/ModalDriver.h"
#include "tests/soak/SoakParts.h"

namespace soak {

namespace {

struct CycleTally {
  int okCloses = 0;
  int closeBoxCloses = 0;
  int failures = 0;
  std::string firstFailure;

  void Fail(int cycle, const std::string& what) {
    if (failures++ == 0) firstFailure = "cycle " + std::to_string(cycle) + ": " + what;
  }
};

// One Execute call closed by `how`; a failure is noted in `tally`.
void RunCycle(uint32_t execute, HWND owner, CloseBy how, int cycle, CycleTally& tally) {
  ModalDriver driver(how);
  const host::CallResult call = host::PlugInLibrary::Entry(execute, owner);
  const DriveResult& seen = driver.Result();
  if (call.value != 0) {
    tally.Fail(cycle, "Execute returned " + Hex(call.value) + " (last error " +
                          std::to_string(::GetLastError()) + ")");
  } else if (call.bytesRemoved != 8) {
    tally.Fail(cycle, "Execute removed " + std::to_string(call.bytesRemoved) + " stack bytes, not 8");
  } else if (!seen.found) {
    tally.Fail(cycle, "no dialog appeared");
  } else if (seen.errorBoxes > 0) {
    tally.Fail(cycle, std::to_string(seen.errorBoxes) + " message box(es) appeared");
  } else if (seen.okMissing) {
    tally.Fail(cycle, "the dialog has no control " + std::to_string(kOkButtonId));
  } else if (seen.closeRetries > 0) {
    tally.Fail(cycle, "the close had to be sent " + std::to_string(seen.closeRetries + 1) + " times");
  } else if (!seen.actionError.empty()) {
    tally.Fail(cycle, seen.actionError);
  } else {
    ++(how == CloseBy::OkButton ? tally.okCloses : tally.closeBoxCloses);
  }
}

}  // namespace

void RunExecutePart(const Options& options, Verdicts& verdicts) {
  std::printf(
      "\nPart 1: Execute/close cycles through the Execute entry (%d cycles, OK and close box in turn)\n",
      options.cycles);
  HostWindow hostWindow;
  host::PlugInLibrary library;
  std::string error;
  if (!hostWindow.Handle()) {
    verdicts.Judge(false, "part 1: cannot create the host window");
    return;
  }
  if (!library.Load(options.library, &error)) {
    verdicts.Judge(false, "part 1: " + error);
    return;
  }
  host::PlugInEntries entries;
  if (!library.Describe(&entries, &error) || !entries.execute) {
    verdicts.Judge(false, "part 1: no Execute entry inside the library " + error);
    return;
  }
  const uint32_t execute = entries.execute;
  std::printf("library %s, Execute entry at %s\n", options.library.c_str(), Hex(execute).c_str());
  std::printf("one warm-up cycle before cycle 0: first-use set-ups are not leaks\n");

  CycleTally warmUp;
  RunCycle(execute, hostWindow.Handle(), CloseBy::OkButton, 0, warmUp);
  CycleTally tally;
  tally.failures = warmUp.failures;
  tally.firstFailure = warmUp.firstFailure.empty() ? "" : "warm-up " + warmUp.firstFailure;

  SoakTable table("cycle", options.cycles, kFullCycles, false);
  table.Take(0);
  for (int cycle = 1; cycle <= options.cycles; ++cycle) {
    RunCycle(execute, hostWindow.Handle(), cycle % 2 ? CloseBy::OkButton : CloseBy::CloseBox, cycle, tally);
    if (table.Due(cycle)) table.Take(cycle);
  }

  verdicts.Judge(tally.failures == 0,
                 "part 1 cycles: " + std::to_string(tally.okCloses) + " closed with OK, " +
                     std::to_string(tally.closeBoxCloses) +
                     " with the close box, each returning 0 with 8 stack bytes removed; " +
                     std::to_string(tally.failures) + " failed" +
                     (tally.firstFailure.empty() ? "" : " (first: " + tally.firstFailure + ")"));
  table.JudgeCounters(verdicts, "part 1");
}

}  // namespace soak
