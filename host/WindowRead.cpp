#include "host/WindowRead.h"

#include <commctrl.h>

#include <algorithm>

namespace host {

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) noexcept {
  try {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
  } catch (...) {
    return FALSE;  // out of memory: the list ends here
  }
}

constexpr int kItemTextChars = 256;

}  // namespace

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  if (size <= 0) return {};
  std::string utf8(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size, nullptr,
                        nullptr);
  return utf8;
}

std::vector<HWND> ThreadWindows(DWORD threadId) {
  std::vector<HWND> windows;
  ::EnumThreadWindows(threadId, &CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> Descendants(HWND window) {
  std::vector<HWND> windows;
  ::EnumChildWindows(window, &CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> Children(HWND window) {
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

HWND NewWindowOf(DWORD threadId, const std::vector<HWND>& before) {
  for (HWND window : ThreadWindows(threadId)) {
    if (std::find(before.begin(), before.end(), window) != before.end() || !::IsWindowVisible(window))
      continue;
    if ((::GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) != WS_CAPTION || IsClass(window, L"#32770"))
      continue;
    return window;
  }
  return nullptr;
}

HWND FindById(HWND root, int id) {
  for (HWND window : Descendants(root)) {
    if (::GetDlgCtrlID(window) == id) return window;
  }
  return nullptr;
}

HWND FindByClass(HWND root, const wchar_t* className) {
  for (HWND window : Descendants(root)) {
    if (IsClass(window, className)) return window;
  }
  return nullptr;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  ::GetClassNameW(window, name, 256);
  return name;
}

std::string ClassOf(HWND window) { return Utf8(ClassName(window)); }

bool IsClass(HWND window, const wchar_t* className) {
  return ::lstrcmpiW(ClassName(window).c_str(), className) == 0;
}

bool IsPushButton(HWND window) {
  const LONG type = ::GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
  return IsClass(window, L"Button") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

GUITHREADINFO GuiThreadOf(DWORD threadId) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  if (!::GetGUIThreadInfo(threadId, &gui)) gui = GUITHREADINFO{};
  return gui;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR answer = 0;
  return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 10000, &answer)
             ? static_cast<LRESULT>(answer)
             : 0;
}

std::wstring TextOf(HWND window) {
  // A text that fills the buffer may be longer, so the buffer grows.
  std::wstring text(256, L'\0');
  for (;;) {
    const int copied = ::InternalGetWindowText(window, text.data(), static_cast<int>(text.size()));
    if (copied < static_cast<int>(text.size()) - 1 || text.size() >= 0x10000) {
      text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
      return text;
    }
    text.assign(text.size() * 2, L'\0');
  }
}

RECT RectInParent(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

ScreenPlacement PlacementOf(HWND window) {
  ScreenPlacement placement;
  RECT client{};
  ::GetWindowRect(window, &placement.outer);
  ::GetClientRect(window, &client);
  ::ClientToScreen(window, &placement.clientOrigin);
  placement.clientSize = {client.right, client.bottom};
  return placement;
}

std::wstring TabCaption(HWND tabs, int index) {
  wchar_t text[kItemTextChars] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = kItemTextChars;
  if (!Ask(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item))) return {};
  return item.pszText ? item.pszText : L"";
}

std::vector<TabItem> TabItems(HWND tabs) {
  std::vector<TabItem> items(static_cast<size_t>(Ask(tabs, TCM_GETITEMCOUNT, 0, 0)));
  for (size_t i = 0; i < items.size(); ++i) {
    items[i].caption = TabCaption(tabs, static_cast<int>(i));
    Ask(tabs, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&items[i].rect));
  }
  return items;
}

int SelectedTab(HWND tabs) { return static_cast<int>(Ask(tabs, TCM_GETCURSEL, 0, 0)); }

HWND ShownPage(HWND tabs) {
  HWND shown = nullptr;
  for (HWND page : Children(tabs)) {
    if (!(::GetWindowLongW(page, GWL_STYLE) & WS_VISIBLE)) continue;
    if (shown) return nullptr;  // two pages at once is no answer
    shown = page;
  }
  return shown;
}

std::vector<ListColumn> ListColumns(HWND list) {
  std::vector<ListColumn> columns;
  for (int index = 0;; ++index) {
    wchar_t text[kItemTextChars] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text;
    column.cchTextMax = kItemTextChars;
    if (!Ask(list, LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(&column))) break;
    columns.push_back({column.pszText ? column.pszText : L"", column.cx});
  }
  return columns;
}

}  // namespace host
