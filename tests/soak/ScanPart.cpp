// Part 2: the System libraries scan, run in-process. Its page is hidden, so
// no click can select it; the scan is driven through the seams the dialog
// tests use, on the dialog the Execute entry shows.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "dialog/LibraryScan.h"
#include "dialog/SysDlg.h"
#include "dialog/SystemQueries.h"
#include "plugin/PlugInEntries.h"
#include "tests/ApplicationScope.h"
#include "tests/soak/SoakParts.h"

namespace soak {

namespace {

void SelectLibraryPage(int& rows) {
  dialog::TSysInfoDlg* dlg = dialog::SysInfoDlg;
  if (!dlg) throw std::runtime_error("the dialog is not up");
  dlg->SysPageControl->SetActivePage(*dlg->LibVerSheet);
  dlg->SysPageControlChange();
  if (!dlg->VerListBuilt()) throw std::runtime_error("the scan did not finish");
  rows = dlg->lvVerList->RowCount();
}

}  // namespace

void RunScanPart(const Options& options, Verdicts& verdicts) {
  std::printf("\nPart 2: System libraries scans in the dialog, in-process (%d scans)\n", options.scans);
  ApplicationScope application;
  HostWindow hostWindow;
  if (!hostWindow.Handle()) {
    verdicts.Judge(false, "part 2: cannot create the host window");
    return;
  }
  dialog::SetQueriesForTesting(nullptr);
  const dialog::TLibraryFolders folders = dialog::LibraryFolders();
  std::printf("folders: %s then %s\n", folders.host.c_str(), folders.system.c_str());

  SoakTable table("scan", options.scans, kFullScans, true);
  int minRows = INT_MAX;
  int maxRows = -1;
  table.Run([&](int scan) {
    const int closeControl = CloseControlOf(scan);
    int rows = -1;
    host::EntryWatcher watcher({closeControl, 0, [&](HWND) { SelectLibraryPage(rows); }});
    const uint32_t result = plugin::ExecuteProc(0, hostWindow.Handle());
    const DWORD lastError = ::GetLastError();
    const std::string failure = ExecuteFailure(result, lastError, watcher.Stop(), closeControl);
    if (!failure.empty()) table.Fail(scan, failure);
    if (rows >= 0) {
      minRows = std::min(minRows, rows);
      maxRows = std::max(maxRows, rows);
    }
    return rows;
  });

  // The warm-up's rows count too: every scan finds the same.
  const bool sameRows = minRows == maxRows;
  verdicts.Judge(table.Failures() == 0 && sameRows && minRows > 0,
                 "part 2 scans: " + std::to_string(options.scans) + " full scans of " +
                     std::to_string(minRows) +
                     (sameRows ? " rows each" : " to " + std::to_string(maxRows) + " rows") + "; " +
                     std::to_string(table.Failures()) + " failed" + table.FirstFailure());
  table.JudgeCounters(verdicts, "part 2");
}

}  // namespace soak
