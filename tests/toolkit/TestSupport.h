// Helpers for driving forms from inside their own modal loop: a script of
// steps run one per thread-timer tick (so the loop dispatches what a step
// posted before the next runs), key and click posting, and a reader for the
// error box.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "host/EntryWatcher.h"
#include "toolkit/Text.h"

namespace toolkit_test {

class Script {
 public:
  explicit Script(std::vector<std::function<void()>> steps) : steps_(steps.begin(), steps.end()) {
    current_ = this;
    timer_ = ::SetTimer(nullptr, 0, 20, Tick);
  }
  Script(const Script&) = delete;
  Script& operator=(const Script&) = delete;
  ~Script() {
    ::KillTimer(nullptr, timer_);
    current_ = nullptr;
  }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!current_ || current_->steps_.empty()) return;
    // Taken off first: a step may run a nested loop that ticks again.
    std::function<void()> step = std::move(current_->steps_.front());
    current_->steps_.pop_front();
    step();
  }
  static inline Script* current_ = nullptr;
  std::deque<std::function<void()>> steps_;
  UINT_PTR timer_ = 0;
};

inline void PostKey(HWND target, WPARAM key) {
  ::PostMessageW(target, WM_KEYDOWN, key, 1);
  ::PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

// Posted key messages do not change the key state table; modifiers held
// "down" this way are what GetKeyState then reports to the key's handler.
inline void SetModifiers(bool control, bool shift) {
  BYTE state[256];
  ::GetKeyboardState(state);
  state[VK_CONTROL] = control ? 0x80 : 0;
  state[VK_SHIFT] = shift ? 0x80 : 0;
  ::SetKeyboardState(state);
}

inline void PostClick(HWND target, POINT at) {
  const LPARAM position = MAKELPARAM(at.x, at.y);
  ::PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, position);
  ::PostMessageW(target, WM_LBUTTONUP, 0, position);
}

// The thread's visible message box, read and then closed with its first
// button; `seen` is false when there is none. Not waited for: the box's loop
// runs on this thread.
inline host::SeenMessageBox ReadAndCloseMessageBox() {
  const HWND box = host::FindMessageBox(::GetCurrentThreadId());
  if (!box) return {};
  host::SeenMessageBox seen = host::RecordMessageBox(box);
  host::DismissMessageBox(box, seen, 0);
  return seen;
}

// A window's text as the library reads its own windows back: the W text in
// the ANSI code page.
inline std::string ShownText(HWND window) { return toolkit::NarrowToAnsi(toolkit::WindowTextW(window)); }
// The same for a toolkit control or form, by pointer or by reference.
template <typename Window>
std::string ShownText(const Window& window) {
  if constexpr (requires { window->Handle(); }) {
    return ShownText(window->Handle());
  } else {
    return ShownText(window.Handle());
  }
}

}  // namespace toolkit_test
