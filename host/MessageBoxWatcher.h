// Watches a thread for a message box, records what it shows and dismisses
// it, so a call that shows one can be checked without a person at the screen.
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

class MessageBoxWatcher {
 public:
  // Starts watching the given thread for up to `timeoutMs`.
  explicit MessageBoxWatcher(DWORD threadId, DWORD timeoutMs = 15000);
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  // Waits for the watch to end (box seen and dismissed, or timeout).
  SeenMessageBox Result();

 private:
  void Watch();

  DWORD threadId_;
  DWORD timeoutMs_;
  SeenMessageBox seen_;
  std::thread watcher_;
};

}  // namespace host
