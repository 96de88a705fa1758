// Watches a plug-in entry from inside its own message loop: a thread timer
// ticks while the entry's dialog or message box dispatches messages; each
// tick records and dismisses the thread's message boxes and closes its
// dialogs, so a call can be checked without a person at the screen.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace host {

struct SeenMessageBox {
  bool seen = false;
  std::string caption;  // UTF-8, as the texts below
  std::string text;
  HWND owner = nullptr;
  std::vector<int> buttonIds;  // IDOK, IDCANCEL, ... of its buttons
  HICON icon = nullptr;        // the picture it shows, or null
  // What dismissing it presses: its first button, OK when it has none.
  int FirstButton() const { return buttonIds.empty() ? IDOK : buttonIds.front(); }
};

// A visible message box among the thread's top-level windows, or null.
HWND FindMessageBox(DWORD threadId);
// Reads what a message box shows. Works from any thread of the process.
SeenMessageBox RecordMessageBox(HWND box);
// Presses the box's first button and waits up to `timeoutMs` for it to go
// away (from another thread than the box's); true when it went.
bool DismissMessageBox(HWND box, const SeenMessageBox& seen, DWORD timeoutMs);

struct WatchOptions {
  // The control whose click closes a dialog; 0 for the close box, which
  // also serves every retry.
  int closeControl = 0;
  // How long a dialog stays up before it is closed.
  DWORD closeAfterMs = 50;
  // Runs once on each dialog before it is closed; it may dispatch messages
  // itself (ticks meanwhile only dismiss message boxes).
  std::function<void(HWND dialog)> action;
};

// What an entry showed while watched.
struct Watched {
  int dialogs = 0;  // showings: a new visible titled window of the thread
  std::vector<HWND> dialogOwners;
  std::vector<SeenMessageBox> boxes;
  int closeRetries = 0;              // closes sent again to a dialog still up a second later
  bool closeControlMissing = false;  // the close box was used instead
  std::string actionError;           // what the action threw, if it did
  // The first box, or one with `seen` false.
  SeenMessageBox FirstBox() const { return boxes.empty() ? SeenMessageBox{} : boxes.front(); }
};

// Watches the calling thread from construction until Stop.
class EntryWatcher {
 public:
  explicit EntryWatcher(WatchOptions options = {});
  ~EntryWatcher() { Stop(); }
  EntryWatcher(const EntryWatcher&) = delete;
  EntryWatcher& operator=(const EntryWatcher&) = delete;

  const Watched& Stop();

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) noexcept;
  template <typename Body>
  void Guard(Body body) noexcept;
  void NoteError(const char* text) noexcept;
  void DismissMessageBoxes();
  void Step();

  static inline thread_local EntryWatcher* current_ = nullptr;
  WatchOptions options_;
  DWORD threadId_ = ::GetCurrentThreadId();
  std::vector<HWND> before_;
  std::vector<HWND> dismissed_;
  HWND shown_ = nullptr;
  DWORD shownAt_ = 0;
  DWORD closedAt_ = 0;
  bool busy_ = false;
  UINT_PTR timer_ = 0;
  Watched seen_;
};

}  // namespace host
