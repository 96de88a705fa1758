// TSysInfoDlg::BuildLibraryList and the folder passes it runs.
#include "dialog/LibraryScan.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "dialog/SysDlg.h"
#include "shared/PathUtils.h"
#include "toolkit/Application.h"
#include "toolkit/Scoped.h"

namespace dialog {

namespace {

// The host hands its paths over in buffers of this size.
constexpr DWORD kPathBuffer = 261;

bool IsDotEntry(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

// Rows of lvVerList, each followed by a round of pending messages so the
// list repaints and the dialog answers input while the scan goes on.
class TVerListSink final : public TLibraryRowSink {
 public:
  explicit TVerListSink(toolkit::TListView& list) : list_(list) {}

  void AppendRow(const char* fileName, const verinfo::TVersionInfo& reader) override {
    const int row = list_.AddRow(fileName);
    reader.ProductNameText(text_);
    list_.SetSubItem(row, 1, text_.c_str());
    reader.LegalCopyrightText(text_);
    list_.SetSubItem(row, 2, text_.c_str());
    reader.FileVersionText(text_);
    list_.SetSubItem(row, 3, text_.c_str());
    reader.ProductVersionText(text_);
    list_.SetSubItem(row, 4, text_.c_str());
    // Asking first spares an empty queue the full retrieval, which under
    // Wine also gives up the processor; most rows find nothing waiting.
    if (HIWORD(::GetQueueStatus(QS_ALLINPUT)) != 0) toolkit::Application->ProcessMessages();
  }

 private:
  toolkit::TListView& list_;
  // One text for every sub-item: its storage grows once, not per file.
  std::string text_;
};

// The busy cursor while the scan runs and the default cursor after it, an
// escaping error included.
class TScanCursor {
 public:
  TScanCursor() { toolkit::Application->SetBusyCursor(); }
  TScanCursor(const TScanCursor&) = delete;
  TScanCursor& operator=(const TScanCursor&) = delete;
  ~TScanCursor() { toolkit::Application->RestoreCursor(); }
};

}  // namespace

void ForEachFolderFile(const std::string& folder, const std::function<void(const char* name)>& onFile) {
  // "" + "*.*" would list the current directory, which is not ours to scan.
  if (folder.empty()) return;
  const std::string pattern = shared::AddPathSlash(folder) + "*.*";
  WIN32_FIND_DATAA entry;
  HANDLE found = ::FindFirstFileA(pattern.c_str(), &entry);
  toolkit::ScopedFindHandle listing(found == INVALID_HANDLE_VALUE ? nullptr : found);
  if (!listing) return;
  do {
    // The name field is not trusted to hold its zero.
    entry.cFileName[MAX_PATH - 1] = '\0';
    if (IsDotEntry(entry.cFileName) || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    onFile(entry.cFileName);
  } while (::FindNextFileA(listing.Get(), &entry));
}

void ScanLibraryFolder(const std::string& folder, verinfo::TVersionInfo& reader, TLibraryRowSink& sink) {
  if (folder.empty()) return;
  // One path text for the whole pass: per file only its name is replaced.
  std::string path = shared::AddPathSlash(folder);
  const size_t prefix = path.size();
  ForEachFolderFile(folder, [&](const char* name) {
    try {
      path.resize(prefix);
      path += name;
      reader.SetFilePath(path.c_str());
      if (reader.HasInfo()) sink.AppendRow(name, reader);
    } catch (...) {
      // One file's failure never ends the pass; there is no one to tell.
    }
  });
}

std::string HostProgramPath() {
  char buffer[kPathBuffer] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, buffer, kPathBuffer);
  // A truncated path may come back without its zero.
  return std::string(buffer, strnlen(buffer, std::min<DWORD>(length, kPathBuffer - 1)));
}

std::string HostProgramFolder() {
  std::string path = HostProgramPath();
  const size_t end = path.find_last_of("\\:");
  path.resize(end == std::string::npos ? 0 : end + 1);
  return path;
}

std::string SystemFolder() {
  char buffer[kPathBuffer] = {};
  const UINT length = ::GetSystemDirectoryA(buffer, kPathBuffer);
  // A length beyond the buffer is the size it would need; nothing usable.
  if (length == 0 || length >= kPathBuffer) return {};
  return buffer;
}

TLibraryFolders LibraryFolders() { return {HostProgramFolder(), SystemFolder()}; }

void TSysInfoDlg::BuildLibraryList() {
  // Also refuses a selection of the page while a scan dispatches messages:
  // the flag that ends scans is only set when one finishes.
  if (FVerListBuilt || FScanRunning) return;
  FScanRunning = true;
  struct TRunningReset {
    bool& running;
    ~TRunningReset() { running = false; }
  } runningReset{FScanRunning};
  TScanCursor cursor;
  // A later activation clears the flag; the rebuild then starts afresh
  // instead of listing every file a second time.
  lvVerList->Clear();
  verinfo::TVersionInfo reader(HostProgramPath().c_str());
  const TLibraryFolders folders = libraryFoldersForTesting ? libraryFoldersForTesting() : LibraryFolders();
  TVerListSink sink(*lvVerList);
  ScanLibraryFolder(folders.host, reader, sink);
  ScanLibraryFolder(folders.system, reader, sink);
  FVerListBuilt = true;
}

}  // namespace dialog
