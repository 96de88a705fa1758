// Watches a thread while a plug-in entry runs there: records and dismisses
// its message boxes and closes its dialogs, so a call can be checked without
// a person at the screen.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace host {

struct SeenMessageBox {
  bool seen = false;
  std::string caption;  // UTF-8, as the texts below
  std::string text;
  HWND owner = nullptr;
  std::vector<int> buttonIds;  // IDOK, IDCANCEL, ... of its buttons
  HICON icon = nullptr;        // the picture it shows, or null
};

// A visible message box among the thread's top-level windows, or null.
HWND FindMessageBox(DWORD threadId);
// Reads what a message box shows. Works from any thread of the process.
SeenMessageBox RecordMessageBox(HWND box);
// Presses the box's first button (OK when it has none) and waits up to
// `timeoutMs` for it to go away; true when it went.
bool DismissMessageBox(HWND box, const SeenMessageBox& seen, DWORD timeoutMs);

// What an entry showed while watched.
struct Watched {
  int dialogs = 0;  // showings
  std::vector<HWND> dialogOwners;
  std::vector<SeenMessageBox> boxes;
  // The first box, or one with `seen` false.
  SeenMessageBox FirstBox() const { return boxes.empty() ? SeenMessageBox{} : boxes.front(); }
};

// From a second thread, until stopped: dismisses every message box of the
// thread and closes every dialog it shows (a new titled window) as its close
// box does, `closeAfterMs` after it appeared; a close that did not take is
// repeated.
class EntryWatcher {
 public:
  explicit EntryWatcher(DWORD threadId = ::GetCurrentThreadId(), DWORD closeAfterMs = 50);
  ~EntryWatcher() { Stop(); }
  EntryWatcher(const EntryWatcher&) = delete;
  EntryWatcher& operator=(const EntryWatcher&) = delete;

  const Watched& Stop();

 private:
  void Run();

  DWORD threadId_;
  DWORD closeAfterMs_;
  std::vector<HWND> before_;
  std::atomic<bool> stop_{false};
  Watched seen_;
  std::thread worker_;
};

}  // namespace host
