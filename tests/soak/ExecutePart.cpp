// Part 1: the Execute entry of the built library, called as the host calls
// it, over and over.
#include <cstdio>
#include <string>

#include "host/PlugInLibrary.h"
#include "tests/soak/SoakParts.h"

namespace soak {

std::string ExecuteFailure(uint32_t result, DWORD lastError, const host::Watched& seen, int closeControl) {
  if (result != 0)
    return "Execute returned " + Hex(result) + " (last error " + std::to_string(lastError) + ")";
  if (seen.dialogs == 0) return "no dialog appeared";
  if (!seen.boxes.empty()) return std::to_string(seen.boxes.size()) + " message box(es) appeared";
  if (seen.closeControlMissing) return "the dialog has no control " + std::to_string(closeControl);
  if (seen.closeRetries > 0)
    return "the close had to be sent " + std::to_string(seen.closeRetries + 1) + " times";
  return seen.actionError;
}

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
  std::printf("library %s, Execute entry at %s\n", options.library.c_str(), Hex(entries.execute).c_str());

  SoakTable table("cycle", options.cycles, kFullCycles, false);
  int closes[2] = {};  // with OK, with the close box
  table.Run([&](int cycle) {
    const int closeControl = CloseControlOf(cycle);
    host::EntryWatcher watcher({closeControl, 0, {}});
    const host::CallResult call = host::PlugInLibrary::Entry(entries.execute, hostWindow.Handle());
    const DWORD lastError = ::GetLastError();
    std::string failure = ExecuteFailure(call.value, lastError, watcher.Stop(), closeControl);
    if (failure.empty() && call.bytesRemoved != 8)
      failure = "Execute removed " + std::to_string(call.bytesRemoved) + " stack bytes, not 8";
    if (!failure.empty()) {
      table.Fail(cycle, failure);
    } else if (cycle > 0) {
      ++closes[closeControl ? 0 : 1];
    }
    return -1;
  });

  verdicts.Judge(table.Failures() == 0,
                 "part 1 cycles: " + std::to_string(closes[0]) + " closed with OK, " +
                     std::to_string(closes[1]) +
                     " with the close box, each returning 0 with 8 stack bytes removed; " +
                     std::to_string(table.Failures()) + " failed" + table.FirstFailure());
  table.JudgeCounters(verdicts, "part 1");
}

}  // namespace soak
