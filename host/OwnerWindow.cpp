#include "host/OwnerWindow.h"

#include <cwchar>

namespace host {

OwnerWindow::OwnerWindow(const wchar_t* title, WNDPROC procedure, WindowShape shape) {
  // A class per window: two owners with different procedures may coexist.
  static LONG serial = 0;
  std::swprintf(className_, sizeof className_ / sizeof *className_, L"PdlOwner.%ld",
                ::InterlockedIncrement(&serial));
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(shape.background + 1));
  windowClass.lpszClassName = className_;
  atom_ = ::RegisterClassExW(&windowClass);
  if (!atom_) return;
  const RECT& at = shape.at;
  window_ = ::CreateWindowExW(0, className_, title, shape.style, at.left, at.top, at.right - at.left,
                              at.bottom - at.top, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window_ && (shape.style & WS_VISIBLE)) ::UpdateWindow(window_);
}

OwnerWindow::~OwnerWindow() {
  if (window_ && ::IsWindow(window_)) ::DestroyWindow(window_);
  if (atom_) ::UnregisterClassW(className_, ::GetModuleHandleW(nullptr));
}

HWND CreatePlainWindow(const char* title, bool visible) {
  return ::CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 10, 10, 200,
                           100, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace host
