// Reading windows from outside, as a test tool or screen reader does: lists
// of windows, class, text, rectangles, tab items and list columns. Shared by
// pdlhost's dialog report, winquery, the benchmarks and the tests, so every
// tool reads a window the same way.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace host {

// UTF-16 to UTF-8, for printing window texts.
std::string Utf8(const std::wstring& text);

// Lists first, so the caller may change the windows while walking them.
std::vector<HWND> ThreadWindows(DWORD threadId);
std::vector<HWND> Descendants(HWND window);
// The direct children only, in Z order.
std::vector<HWND> Children(HWND window);

// A visible top-level window of the thread with a title bar, not among
// `before` and not a message box (a tooltip or other helper window has no
// title bar): the window a call has just shown; 0 when none.
HWND NewWindowOf(DWORD threadId, const std::vector<HWND>& before);

// The first descendant with the control ID or of the class; 0 when none.
HWND FindById(HWND root, int id);
HWND FindByClass(HWND root, const wchar_t* className);

std::wstring ClassName(HWND window);
// UTF-8, for printing.
std::string ClassOf(HWND window);
// Class names compare without case ("Static", "STATIC").
bool IsClass(HWND window, const wchar_t* className);
// A plain or default push button (check boxes and the like are buttons too).
bool IsPushButton(HWND window);
// The thread's active and focus windows and the like; zeros where unknown.
GUITHREADINFO GuiThreadOf(DWORD threadId);
// The window text as the system holds it, in UTF-16 (the A call turns what
// the ANSI code page lacks, Cyrillic say, into '?'). Sends no message, so a
// window whose thread stopped answering cannot hold the reader up.
std::wstring TextOf(HWND window);

// Sends `message` and returns the answer, or 0 when the window's thread has
// not answered within 10 s: readers also run on watcher threads, which must
// not wait for ever on a thread that hangs.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
// Where a window is on the screen: its outer rectangle, and its client
// area's origin and size.
struct ScreenPlacement {
  RECT outer{};
  POINT clientOrigin{};
  SIZE clientSize{};
};
ScreenPlacement PlacementOf(HWND window);

// A tab control's items. Pointer messages: the tab control must live in this
// process.
struct TabItem {
  std::wstring caption;
  RECT rect{};  // in the tab control's client coordinates
};
std::vector<TabItem> TabItems(HWND tabs);
std::wstring TabCaption(HWND tabs, int index);
int SelectedTab(HWND tabs);
// The tab control's child that is visible; 0 when none or more than one.
HWND ShownPage(HWND tabs);

// A report list's columns, also through pointer messages.
struct ListColumn {
  std::wstring caption;
  int width = 0;
};
std::vector<ListColumn> ListColumns(HWND list);

}  // namespace host
