#include "host/MessageBoxWatcher.h"

#include "host/WindowRead.h"

namespace host {

HWND FindMessageBox(DWORD threadId) {
  for (HWND window : ThreadWindows(threadId)) {
    if (IsClass(window, L"#32770") && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

SeenMessageBox RecordMessageBox(HWND box) {
  SeenMessageBox seen;
  seen.seen = true;
  seen.caption = Utf8(TextOf(box));
  seen.owner = GetWindow(box, GW_OWNER);
  std::string otherStatic;
  for (HWND child : Children(box)) {
    const int id = GetDlgCtrlID(child);
    if (IsClass(child, L"Button")) {
      if (IsWindowVisible(child)) seen.buttonIds.push_back(id);
    } else if (IsClass(child, L"Static")) {
      if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        seen.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
      } else if (id == 0xFFFF) {
        seen.text = Utf8(TextOf(child));  // the message text's control ID on every system
      } else if (otherStatic.empty()) {
        otherStatic = Utf8(TextOf(child));
      }
    }
  }
  if (seen.text.empty()) seen.text = otherStatic;
  return seen;
}

bool DismissMessageBox(HWND box, const SeenMessageBox& seen, DWORD timeoutMs) {
  const int button = seen.buttonIds.empty() ? IDOK : seen.buttonIds.front();
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  // Wait until it is gone, so the next watch cannot see it again.
  const DWORD start = GetTickCount();
  while (IsWindow(box)) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

MessageBoxWatcher::MessageBoxWatcher(DWORD threadId, DWORD timeoutMs)
    : threadId_(threadId), timeoutMs_(timeoutMs), watcher_([this] { Watch(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
  if (watcher_.joinable()) watcher_.join();
}

SeenMessageBox MessageBoxWatcher::Result() {
  if (watcher_.joinable()) watcher_.join();
  return seen_;
}

void MessageBoxWatcher::Watch() {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs_) {
    if (HWND box = FindMessageBox(threadId_)) {
      seen_ = RecordMessageBox(box);
      const DWORD elapsed = GetTickCount() - start;
      DismissMessageBox(box, seen_, timeoutMs_ > elapsed ? timeoutMs_ - elapsed : 0);
      return;
    }
    Sleep(10);
  }
}

}  // namespace host
