// The soak's three parts. Each prints its table and verdict lines.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "dialog/SysDlgControls.h"
#include "host/EntryWatcher.h"
#include "host/OwnerWindow.h"
#include "tests/soak/SoakTable.h"

namespace soak {

// Full-size counts, what `make soak` runs.
constexpr int kFullCycles = 1000;
constexpr int kFullScans = 200;
constexpr int kFullLoads = 1000;

struct Options {
  int cycles = kFullCycles;
  int scans = kFullScans;
  int loads = kFullLoads;
  std::string library;  // the built zentrix.pdl
};

// Execute/close cycles through the built library's Execute entry, as the
// host calls it, over a host window; OK and the close box alternately.
void RunExecutePart(const Options& options, Verdicts& verdicts);
// The dialog in-process, its System libraries page selected through the
// test seams: a full scan of the program's folder and the system folder.
void RunScanPart(const Options& options, Verdicts& verdicts);
// LoadLibrary, InitPlugInLib, request 1, FreeLibrary: the x87 control word,
// the thread's COM state, windows, handles and memory.
void RunLoadPart(const Options& options, Verdicts& verdicts);

// What closes the dialog of a cycle: OK on the warm-up, then OK and the
// close box in turn.
inline int CloseControlOf(int cycle) { return cycle == 0 || cycle % 2 == 1 ? dialog::id_OKBtn : 0; }

// How a watched Execute call closed with `closeControl` went: "" when it
// returned 0 after one dialog that the first close request closed.
std::string ExecuteFailure(uint32_t result, DWORD lastError, const host::Watched& seen, int closeControl);

// A visible top-level window of this thread to own the dialogs.
struct HostWindow : host::OwnerWindow {
  HostWindow()
      : OwnerWindow(L"Tavrel Corvane (soak host)", ::DefWindowProcW,
                    {WS_OVERLAPPEDWINDOW | WS_VISIBLE, {40, 40, 680, 520}}) {}
};

}  // namespace soak
