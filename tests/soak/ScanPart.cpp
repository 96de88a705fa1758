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
#include "tests/soak/ModalDriver.h"
#include "tests/soak/SoakParts.h"
#include "toolkit/Application.h"

namespace soak {

namespace {

// The application object the library would create at load.
class ApplicationScope {
 public:
  ApplicationScope() { toolkit::CreateApplication(); }
  ApplicationScope(const ApplicationScope&) = delete;
  ApplicationScope& operator=(const ApplicationScope&) = delete;
  ~ApplicationScope() { toolkit::DestroyApplication(); }
};

struct ScanTally {
  int minRows = INT_MAX;
  int maxRows = -1;
  int lastRows = -1;
  int failures = 0;
  std::string firstFailure;

  void Fail(int scan, const std::string& what) {
    if (failures++ == 0) firstFailure = "scan " + std::to_string(scan) + ": " + what;
  }
};

void SelectLibraryPage(int& rows) {
  dialog::TSysInfoDlg* dlg = dialog::SysInfoDlg;
  if (!dlg) throw std::runtime_error("the dialog is not up");
  dlg->SysPageControl->SetActivePage(*dlg->LibVerSheet);
  dlg->SysPageControlChange();
  if (!dlg->VerListBuilt()) throw std::runtime_error("the scan did not finish");
  rows = dlg->lvVerList->RowCount();
}

void RunScan(HWND owner, CloseBy how, int scan, ScanTally& tally) {
  int rows = -1;
  ModalDriver driver(how, [&](HWND) { SelectLibraryPage(rows); });
  const uint32_t result = plugin::ExecuteProc(0, owner);
  const DriveResult& seen = driver.Result();
  if (result != plugin::kExecuteClosed) {
    tally.Fail(scan,
               "Execute returned " + Hex(result) + " (last error " + std::to_string(::GetLastError()) + ")");
  } else if (!seen.found) {
    tally.Fail(scan, "no dialog appeared");
  } else if (!seen.actionError.empty()) {
    tally.Fail(scan, seen.actionError);
  } else if (seen.errorBoxes > 0) {
    tally.Fail(scan, std::to_string(seen.errorBoxes) + " message box(es) appeared");
  } else if (seen.okMissing || seen.closeRetries > 0) {
    tally.Fail(scan, "the dialog did not close at the first request");
  }
  if (rows >= 0) {
    tally.minRows = std::min(tally.minRows, rows);
    tally.maxRows = std::max(tally.maxRows, rows);
  }
  tally.lastRows = rows;
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
  std::printf("one warm-up scan before scan 0: first-use set-ups are not leaks\n");

  ScanTally warmUp;
  RunScan(hostWindow.Handle(), CloseBy::OkButton, 0, warmUp);
  ScanTally tally;
  tally.failures = warmUp.failures;
  tally.firstFailure = warmUp.firstFailure.empty() ? "" : "warm-up " + warmUp.firstFailure;

  SoakTable table("scan", options.scans, kFullScans, true);
  table.Take(0, warmUp.lastRows);
  for (int scan = 1; scan <= options.scans; ++scan) {
    RunScan(hostWindow.Handle(), scan % 2 ? CloseBy::OkButton : CloseBy::CloseBox, scan, tally);
    if (table.Due(scan)) table.Take(scan, tally.lastRows);
  }

  const bool sameRows = tally.minRows == tally.maxRows && tally.minRows == warmUp.lastRows;
  verdicts.Judge(tally.failures == 0 && sameRows && tally.minRows > 0,
                 "part 2 scans: " + std::to_string(options.scans) + " full scans of " +
                     std::to_string(tally.minRows) +
                     (sameRows ? " rows each" : " to " + std::to_string(tally.maxRows) + " rows") + "; " +
                     std::to_string(tally.failures) + " failed" +
                     (tally.firstFailure.empty() ? "" : " (first: " + tally.firstFailure + ")"));
  table.JudgeCounters(verdicts, "part 2");
}

}  // namespace soak
