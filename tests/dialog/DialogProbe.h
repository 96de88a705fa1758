// Reading a dialog's windows from outside, as a screen reader or a test
// tool would: by control ID, in layout pixels relative to the parent.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace dialog_test {

struct IdSearch {
  int id;
  HWND found;
};

inline BOOL CALLBACK MatchId(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<IdSearch*>(param);
  if (::GetDlgCtrlID(window) != search->id) return TRUE;
  search->found = window;
  return FALSE;
}

// Any descendant of `root` with the control ID, as an outside tool finds it.
inline HWND FindById(HWND root, int id) {
  IdSearch search{id, nullptr};
  ::EnumChildWindows(root, MatchId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline RECT RectInParent(HWND window) {
  RECT r;
  ::GetWindowRect(window, &r);
  ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

inline std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

inline std::wstring TextW(HWND window) {
  wchar_t text[512] = {};
  ::GetWindowTextW(window, text, 512);
  return text;
}

}  // namespace dialog_test
