// Top-level windows for a plug-in entry to own, as the host's main window
// would be; one way of making them for pdlhost, the benchmarks and the tests.
#pragma once

#include <windows.h>

namespace host {

struct WindowShape {
  DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  RECT at{10, 10, 210, 110};
  int background = COLOR_WINDOW;
};

// A window of a class of its own, so `procedure` can watch what an entry
// does to its owner (enables, disables). Destroyed, and its class
// unregistered, with the object.
class OwnerWindow {
 public:
  explicit OwnerWindow(const wchar_t* title, WNDPROC procedure = ::DefWindowProcW, WindowShape shape = {});
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;
  ~OwnerWindow();
  HWND Handle() const { return window_; }

 private:
  wchar_t className_[32] = {};
  ATOM atom_ = 0;
  HWND window_ = nullptr;
};

// A plain top-level window of this thread (the system's static class), which
// the caller destroys.
HWND CreatePlainWindow(const char* title, bool visible = true);

}  // namespace host
