// A thread's top-level windows, and every window inside a window, as lists:
// enumerating into a list first leaves the caller free to change the
// windows while it walks them.
#pragma once

#include <windows.h>

#include <vector>

namespace host {

namespace detail {

inline BOOL CALLBACK CollectWindow(HWND window, LPARAM list) noexcept {
  try {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
  } catch (...) {
    return FALSE;  // out of memory: the list ends here
  }
}

}  // namespace detail

inline std::vector<HWND> ThreadWindows(DWORD threadId) {
  std::vector<HWND> windows;
  ::EnumThreadWindows(threadId, &detail::CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

inline std::vector<HWND> Descendants(HWND window) {
  std::vector<HWND> windows;
  ::EnumChildWindows(window, &detail::CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

}  // namespace host
