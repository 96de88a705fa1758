#include "host/EntryWatcher.h"

#include <algorithm>
#include <exception>

#include "host/WindowRead.h"

namespace host {

namespace {

// A close that has not taken effect after this long is sent again.
constexpr DWORD kRetryMs = 1000;

bool IsMessageBox(HWND window) { return IsClass(window, L"#32770") && IsWindowVisible(window); }

}  // namespace

HWND FindMessageBox(DWORD threadId) {
  const std::vector<HWND> windows = ThreadWindows(threadId);
  const auto box = std::find_if(windows.begin(), windows.end(), IsMessageBox);
  return box == windows.end() ? nullptr : *box;
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
        seen.icon = reinterpret_cast<HICON>(Ask(child, STM_GETICON, 0, 0));
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
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(seen.FirstButton(), BN_CLICKED), 0);
  // Wait until it is gone, so the next watch cannot see it again.
  const DWORD start = GetTickCount();
  while (IsWindow(box)) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

EntryWatcher::EntryWatcher(WatchOptions options)
    : options_(std::move(options)), before_(ThreadWindows(threadId_)) {
  current_ = this;
  // The shortest period the system keeps.
  timer_ = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, Tick);
}

const Watched& EntryWatcher::Stop() {
  if (timer_) KillTimer(nullptr, timer_);
  timer_ = 0;
  if (current_ == this) current_ = nullptr;
  return seen_;
}

void CALLBACK EntryWatcher::Tick(HWND, UINT, UINT_PTR, DWORD) noexcept {
  EntryWatcher* watcher = current_;
  if (!watcher) return;
  watcher->Guard([watcher] {
    // A message box, even one raised inside the action, would otherwise
    // hold the call forever.
    watcher->DismissMessageBoxes();
    if (!watcher->busy_) watcher->Step();
  });
}

template <typename Body>
void EntryWatcher::Guard(Body body) noexcept {
  try {
    body();
  } catch (const std::exception& error) {
    NoteError(error.what());
  } catch (...) {
    NoteError("unknown exception");
  }
}

void EntryWatcher::NoteError(const char* text) noexcept {
  try {
    seen_.actionError = text;
  } catch (...) {
    // No memory for the text: the failure still shows as a non-empty field.
    seen_.actionError.clear();
    seen_.actionError.push_back('?');
  }
}

void EntryWatcher::DismissMessageBoxes() {
  for (HWND window : ThreadWindows(threadId_)) {
    if (!IsMessageBox(window) || std::find(dismissed_.begin(), dismissed_.end(), window) != dismissed_.end())
      continue;
    dismissed_.push_back(window);
    seen_.boxes.push_back(RecordMessageBox(window));
    DismissMessageBox(window, seen_.boxes.back(), 0);  // not waited for: its loop is this thread's
  }
}

void EntryWatcher::Step() {
  const HWND dialog = NewWindowOf(threadId_, before_);
  if (dialog != shown_) {
    shown_ = dialog;
    if (!dialog) return;
    ++seen_.dialogs;
    seen_.dialogOwners.push_back(GetWindow(dialog, GW_OWNER));
    shownAt_ = GetTickCount();
    closedAt_ = 0;
    if (options_.action) {
      busy_ = true;
      Guard([&] { options_.action(dialog); });
      busy_ = false;
      if (!IsWindow(dialog)) return;
    }
  }
  const DWORD now = GetTickCount();
  if (!dialog || now - shownAt_ < options_.closeAfterMs || (closedAt_ != 0 && now - closedAt_ < kRetryMs))
    return;
  const bool retry = closedAt_ != 0;
  if (retry) ++seen_.closeRetries;
  closedAt_ = now;
  // A click that did not close it (a disabled button, an inactive dialog)
  // would not close it the second time either: retries use the close box.
  if (options_.closeControl && !retry) {
    if (const HWND control = FindById(dialog, options_.closeControl)) {
      PostMessageW(control, BM_CLICK, 0, 0);
      return;
    }
    seen_.closeControlMissing = true;
  }
  PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

}  // namespace host
