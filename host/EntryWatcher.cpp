#include "host/EntryWatcher.h"

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

EntryWatcher::EntryWatcher(DWORD threadId, DWORD closeAfterMs)
    : threadId_(threadId),
      closeAfterMs_(closeAfterMs),
      before_(ThreadWindows(threadId)),
      worker_([this] { Run(); }) {}

const Watched& EntryWatcher::Stop() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
  return seen_;
}

void EntryWatcher::Run() {
  HWND shown = nullptr;
  DWORD shownAt = 0, closedAt = 0;
  while (!stop_) {
    if (HWND box = FindMessageBox(threadId_)) {
      const SeenMessageBox seen = RecordMessageBox(box);
      seen_.boxes.push_back(seen);
      DismissMessageBox(box, seen, 5000);
      continue;
    }
    const HWND dialog = NewWindowOf(threadId_, before_);
    if (dialog && dialog != shown) {
      ++seen_.dialogs;
      seen_.dialogOwners.push_back(GetWindow(dialog, GW_OWNER));
      shown = dialog;
      shownAt = GetTickCount();
      closedAt = 0;
    }
    if (!dialog) shown = nullptr;
    const DWORD now = GetTickCount();
    if (dialog && now - shownAt >= closeAfterMs_ && (closedAt == 0 || now - closedAt > 500)) {
      PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      closedAt = now;
    }
    Sleep(10);
  }
}

}  // namespace host
