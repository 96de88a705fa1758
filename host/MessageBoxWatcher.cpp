#include "host/MessageBoxWatcher.h"

namespace host {

namespace {

BOOL CALLBACK TakeDialog(HWND wnd, LPARAM param) {
  char cls[16] = {};
  GetClassNameA(wnd, cls, sizeof cls);
  if (lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(wnd)) return TRUE;
  *reinterpret_cast<HWND*>(param) = wnd;
  return FALSE;
}

std::string TextOf(HWND wnd) {
  const int length = GetWindowTextLengthA(wnd);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(wnd, text.data(), length + 1)));
  return text;
}

}  // namespace

HWND FindMessageBox(DWORD threadId) {
  HWND found = nullptr;
  EnumThreadWindows(threadId, &TakeDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

SeenMessageBox RecordMessageBox(HWND box) {
  SeenMessageBox seen;
  seen.seen = true;
  seen.caption = TextOf(box);
  seen.owner = GetWindow(box, GW_OWNER);
  std::string otherStatic;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char cls[16] = {};
    GetClassNameA(child, cls, sizeof cls);
    const int id = GetDlgCtrlID(child);
    if (lstrcmpiA(cls, "Button") == 0) {
      if (IsWindowVisible(child)) seen.buttonIds.push_back(id);
    } else if (lstrcmpiA(cls, "Static") == 0) {
      if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        seen.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
      } else if (id == 0xFFFF) {
        seen.text = TextOf(child);  // the message text's control ID on every system
      } else if (otherStatic.empty()) {
        otherStatic = TextOf(child);
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
