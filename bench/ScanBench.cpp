// scan_bench: the dialog's library scan and verinfo.exe over the system
// folder against a bare loop over the same files that makes only the
// version library calls (size, data, the translation and the four string
// queries), alternated in one process. Prints times, their ratios, rows per
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

#include "dialog/LibraryScan.h"
#include "dialog/SysDlg.h"
#include "dialog/SystemQueries.h"
#include "shared/Scoped.h"
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

LONGLONG Now() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

double Millis(LONGLONG ticks) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

double Lowest(const std::vector<double>& samples) {
  return samples.empty() ? 0 : *std::min_element(samples.begin(), samples.end());
}

double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples.empty() ? 0 : samples[(samples.size() - 1) / 2];
}

// Files with version data; the texts are looked at so no call can be skipped.
int BareLoop(const std::string& folder, std::vector<BYTE>& buffer, size_t& textBytes) {
  int rows = 0;
  const std::string pattern = folder + "\\*.*";
  WIN32_FIND_DATAA entry;
  HANDLE found = ::FindFirstFileA(pattern.c_str(), &entry);
  shared::ScopedFindHandle listing(found == INVALID_HANDLE_VALUE ? nullptr : found);
  if (!listing) return 0;
  char path[MAX_PATH * 2];
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::snprintf(path, sizeof path, "%s\\%s", folder.c_str(), entry.cFileName);
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) continue;
    buffer.resize(size);
    if (!::GetFileVersionInfoA(path, handle, size, buffer.data())) continue;
    ++rows;
    void* value = nullptr;
    UINT length = 0;
    char query[64];
    DWORD translation = 0;
    if (::VerQueryValueA(buffer.data(), "\\VarFileInfo\\Translation", &value, &length) && length >= 4)
      translation = *static_cast<DWORD*>(value);
    for (const char* name : {"ProductName", "LegalCopyright", "FileVersion", "ProductVersion"}) {
      std::snprintf(query, sizeof query, "\\StringFileInfo\\%04X%04X\\%s", LOWORD(translation),
                    HIWORD(translation), name);
      if (::VerQueryValueA(buffer.data(), query, &value, &length)) textBytes += length;
    }
  } while (::FindNextFileA(listing.Get(), &entry));
  return rows;
}

// The folder pass and the reader alone: the four texts read, no list.
class TextsOnlySink final : public dialog::TLibraryRowSink {
 public:
  void AppendRow(const char*, const verinfo::TVersionInfo& reader) override {
    reader.ProductNameText(text_);
    bytes += text_.size();
    reader.LegalCopyrightText(text_);
    bytes += text_.size();
    reader.FileVersionText(text_);
    bytes += text_.size();
    reader.ProductVersionText(text_);
    bytes += text_.size();
    ++rows;
  }
  int rows = 0;
  size_t bytes = 0;

 private:
  std::string text_;
};

// verinfo.exe beside this program over every file of `folder`, named
// relative to it, its output thrown away: start to exit, the process's
// start included. Its peak working set goes to `peakKb`.
double ToolRun(const std::string& folder, const std::string& names, size_t& peakKb) {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string tool(self);
  tool.resize(tool.find_last_of('\\') + 1);
  std::string command = "\"" + tool + "verinfo.exe\"" + names;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE nul = ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = nul;
  PROCESS_INFORMATION process{};
  const LONGLONG start = Now();
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
    ::CloseHandle(nul);
    return 0;
  }
  // Sampled while it runs: once the process has ended, Wine may no longer
  // answer for its memory.
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  do {
    if (::GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters))
      peakKb = std::max(peakKb, static_cast<size_t>(counters.PeakWorkingSetSize / 1024));
  } while (::WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT);
  const LONGLONG end = Now();
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(nul);
  return Millis(end - start);
}

int FilesIn(const std::string& folder) {
  int files = 0;
  dialog::ForEachFolderFile(folder, [&](const char*) { ++files; });
  return files;
}

size_t PeakWorkingSetKb() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.PeakWorkingSetSize / 1024;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const int warmup = 2;
  toolkit::CreateApplication();
  const std::string system = dialog::PlatformQueries().systemFolder();
  // Only the system folder: the host pass is given no folder.
  dialog::SystemQueries systemOnly = dialog::PlatformQueries();
  systemOnly.hostProgramPath = [] { return std::string(); };
  dialog::SetQueriesForTesting(&systemOnly);

  std::vector<double> ours, bare, passOnly, listOnly, toolRuns;
  std::string names;
  dialog::ForEachFolderFile(system, [&](const char* name) { names.append(" \"").append(name).append("\""); });
  size_t toolPeakKb = 0;
  int rows = 0, bareRows = 0;
  long scanAllocations = 0;
  size_t textBytes = 0;
  std::vector<BYTE> buffer;
  const auto scan = [&](bool counted) {
    auto dlg = std::make_unique<dialog::TSysInfoDlg>();
    dlg->SysPageControl->SetActivePage(*dlg->LibVerSheet);
    const long before = allocations;
    const LONGLONG start = Now();
    dlg->SysPageControlChange();
    const LONGLONG end = Now();
    scanAllocations = allocations - before;
    rows = dlg->lvVerList->RowCount();
    if (counted) ours.push_back(Millis(end - start));
  };
  const auto pass = [&](bool counted) {
    verinfo::TVersionInfo reader(dialog::Queries().hostProgramPath().c_str());
    TextsOnlySink sink;
    const LONGLONG start = Now();
    dialog::ScanLibraryFolder(system, reader, sink);
    const LONGLONG end = Now();
    if (counted) passOnly.push_back(Millis(end - start));
  };
  // The rows alone, as many as the scan adds, with texts of typical length.
  const auto list = [&](bool counted) {
    auto dlg = std::make_unique<dialog::TSysInfoDlg>();
    toolkit::TListView& view = *dlg->lvVerList;
    const LONGLONG start = Now();
    for (int i = 0; i < rows; ++i) {
      const int row = view.AddRow("library.dll");
      view.SetSubItem(row, 1, "Wine");
      view.SetSubItem(row, 2, "Copyright (c) 1993-2023 the Wine project authors");
      view.SetSubItem(row, 3, "10.0.18362.1350");
      view.SetSubItem(row, 4, "10.0.18362.1350");
      if (HIWORD(::GetQueueStatus(QS_ALLINPUT)) != 0) toolkit::Application->ProcessMessages();
    }
    const LONGLONG end = Now();
    if (counted) listOnly.push_back(Millis(end - start));
  };
  const auto loop = [&](bool counted) {
    const LONGLONG start = Now();
    bareRows = BareLoop(system, buffer, textBytes);
    const LONGLONG end = Now();
    if (counted) bare.push_back(Millis(end - start));
  };
  const auto tool = [&](bool counted) {
    const double ms = ToolRun(system, names, toolPeakKb);
    if (counted) toolRuns.push_back(ms);
  };
  for (int round = 0; round < warmup + rounds; ++round) {
    const bool counted = round >= warmup;
    // The order turns every round, so no side always runs in the other's
    // wake (file cache, heap, other load on the machine).
    if (round % 2 == 0) {
      scan(counted), pass(counted), list(counted), tool(counted), loop(counted);
    } else {
      loop(counted), tool(counted), list(counted), pass(counted), scan(counted);
    }
  }
  const int files = FilesIn(system);
  const double oursMs = Median(ours), bareMs = Median(bare);
  std::printf("scan_bench: %s, %d files, %d with version data (bare loop: %d), %d rounds after %d warm-up\n",
              system.c_str(), files, rows, bareRows, rounds, warmup);
  std::printf("%-28s %10s %10s %12s\n", "", "median ms", "lowest ms", "rows/s");
  const auto line = [&](const char* what, const std::vector<double>& samples, int count) {
    std::printf("%-28s %10.2f %10.2f %12.0f\n", what, Median(samples), Lowest(samples),
                count / (Median(samples) / 1000.0));
  };
  line("library scan (dialog)", ours, rows);
  line("  of it: pass + reader only", passOnly, rows);
  line("  of it: list rows alone", listOnly, rows);
  line("verinfo.exe, whole process", toolRuns, rows);
  line("bare version-library loop", bare, bareRows);
  std::printf("ratio scan/bare: median %.3f, lowest %.3f (target <= 0.6)\n", oursMs / bareMs,
              Lowest(ours) / Lowest(bare));
  std::printf("ratio verinfo.exe/bare: median %.3f, lowest %.3f (target <= 0.6)\n", Median(toolRuns) / bareMs,
              Lowest(toolRuns) / Lowest(bare));
  std::printf("ratio pass+reader/bare: median %.3f, lowest %.3f\n", Median(passOnly) / bareMs,
              Lowest(passOnly) / Lowest(bare));
  std::printf(
      "scan allocations: %ld for %d files (%.2f per file: name copy, version block, path and query texts)\n",
      scanAllocations, files, files ? static_cast<double>(scanAllocations) / files : 0.0);
  std::printf("peak working set: %zu KB\n", PeakWorkingSetKb());
  std::printf("verinfo.exe peak working set: %zu KB\n", toolPeakKb);
  std::fflush(stdout);
  dialog::SetQueriesForTesting(nullptr);
  toolkit::DestroyApplication();
  return 0;
}
