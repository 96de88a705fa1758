// scan_bench: the dialog's library scan and verinfo.exe over the system
// folder against a bare loop over the same files that makes only the
// version library calls (size, data, the translation and the four string
// queries), in turn in one process. Prints times, their ratios, rows per
// second, the scan's own allocations per file and the peak working sets.
// Judges nothing.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "BareVersionLoop.h"
#include "ChildProcess.h"
#include "Measure.h"
#include "dialog/LibraryScan.h"
#include "dialog/SysDlg.h"
#include "dialog/SystemQueries.h"
#include "tests/ApplicationScope.h"
#include "tests/TestPaths.h"
#include "toolkit/Application.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

// Every C++ allocation of the program is counted, the scan's among them.
// These replacements pair malloc with free themselves; GCC cannot see that
// through the replaced operators and warns.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
  ++allocations;
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void* operator new[](size_t size) { return operator new(size); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }
#pragma GCC diagnostic pop

namespace {

// The folder pass and the reader alone: the four texts read, no list.
class TextsOnlySink final : public dialog::TLibraryRowSink {
 public:
  void AppendRow(const char*, const verinfo::TVersionInfo& reader) override {
    reader.ProductNameText(text_);
    reader.LegalCopyrightText(text_);
    reader.FileVersionText(text_);
    reader.ProductVersionText(text_);
  }

 private:
  std::string text_;
};

// 0 when the process cannot be asked.
size_t PeakWorkingSetKb(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
  return counters.PeakWorkingSetSize / 1024;
}

// verinfo.exe beside this program over every file of `folder`, named
// relative to it, its output thrown away: start to exit, the process's
// start included. Its peak working set goes to `peakKb`.
double ToolRun(const std::string& folder, const std::string& names, size_t& peakKb) {
  const bench::ChildRun run =
      bench::RunChild("\"" + testing_paths::BesideExecutable("verinfo.exe") + "\"" + names, folder, 20);
  if (run.exitCode != 0) {
    std::fprintf(stderr, "scan_bench: verinfo.exe ended with %lu\n", run.exitCode);
    std::exit(1);
  }
  peakKb = std::max(peakKb, run.peakKb);
  return run.micros;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const int warmup = 2;
  const ApplicationScope application;
  const std::string system = dialog::PlatformQueries().systemFolder();
  // Only the system folder: the host pass is given no folder.
  dialog::SystemQueries systemOnly = dialog::PlatformQueries();
  systemOnly.hostProgramPath = [] { return std::string(); };
  dialog::SetQueriesForTesting(&systemOnly);

  int files = 0;
  std::string names;
  dialog::ForEachFolderFile(system, [&](const char* name) {
    ++files;
    names.append(" \"").append(name).append("\"");
  });
  size_t toolPeakKb = 0;
  int rows = 0, bareRows = 0;
  long scanAllocations = 0;
  size_t textBytes = 0;
  std::vector<BYTE> buffer;
  const auto scan = [&] {
    auto dlg = std::make_unique<dialog::TSysInfoDlg>();
    dlg->SysPageControl->SetActivePage(*dlg->LibVerSheet);
    const long before = allocations;
    const double time = bench::Time([&] { dlg->SysPageControlChange(); });
    scanAllocations = allocations - before;
    rows = dlg->lvVerList->RowCount();
    return time;
  };
  const auto pass = [&] {
    verinfo::TVersionInfo reader(dialog::Queries().hostProgramPath().c_str());
    TextsOnlySink sink;
    return bench::Time([&] { dialog::ScanLibraryFolder(system, reader, sink); });
  };
  // The rows alone, as many as the scan adds, with texts of typical length.
  const auto list = [&] {
    auto dlg = std::make_unique<dialog::TSysInfoDlg>();
    toolkit::TListView& view = *dlg->lvVerList;
    return bench::Time([&] {
      for (int i = 0; i < rows; ++i) {
        const int row = view.AddRow("library.dll");
        view.SetSubItem(row, 1, "Wine");
        view.SetSubItem(row, 2, "Copyright (c) 1993-2023 the Wine project authors");
        view.SetSubItem(row, 3, "10.0.18362.1350");
        view.SetSubItem(row, 4, "10.0.18362.1350");
        if (HIWORD(::GetQueueStatus(QS_ALLINPUT)) != 0) toolkit::Application->ProcessMessages();
      }
    });
  };
  const auto tool = [&] { return ToolRun(system, names, toolPeakKb); };
  const auto loop = [&] {
    return bench::Time([&] { bareRows = bench::BareVersionLoop(system, buffer, textBytes); });
  };
  // The scan first: the list's side adds as many rows as it found.
  const auto times = bench::TimeSides(warmup, rounds, {scan, pass, list, tool, loop});
  std::printf("scan_bench: %s, %d files, %d with version data (bare loop: %d), %d rounds after %d warm-up\n",
              system.c_str(), files, rows, bareRows, rounds, warmup);
  std::printf("base: the bare version-library loop\n");
  bench::PrintHeading();
  bench::PrintPair("System libraries scan", times[0], times[4], 0.6, "bare version-library loop");
  bench::PrintPair("  of it: the folder pass and the reader", times[1], times[4]);
  bench::PrintRow("  of it: the list rows alone", times[2]);
  bench::PrintPair("verinfo.exe over the system folder, process start included", times[3], times[4], 0.6,
                   "bare version-library loop");
  const auto perSecond = [&](const std::vector<double>& samples) {
    return rows / (bench::Summarise(samples).median / 1e6);
  };
  std::printf("rows per second: library scan %.0f, verinfo.exe %.0f\n", perSecond(times[0]),
              perSecond(times[3]));
  std::printf(
      "scan allocations: %ld for %d files (%.2f per file: name copy, version block, path and query texts)\n",
      scanAllocations, files, files ? static_cast<double>(scanAllocations) / files : 0.0);
  std::printf("peak working set: %zu KB\n", PeakWorkingSetKb(::GetCurrentProcess()));
  std::printf("verinfo.exe peak working set: %zu KB\n", toolPeakKb);
  std::fflush(stdout);
  dialog::SetQueriesForTesting(nullptr);
  return 0;
}
