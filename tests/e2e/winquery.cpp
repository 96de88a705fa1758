// winquery TITLE [ID ...]: what the end-to-end tests cannot see through X.
// winquery --clipboard: the clipboard's Unicode text as UTF-8 on stdout,
// byte for byte (exit status 1 when there is none or it cannot be opened).
// winquery --set-clipboard TEXT: puts TEXT there (as CF_UNICODETEXT).
// winquery --hold-clipboard: keeps the clipboard open, as a busy program
// would, until its input ends; prints "held" once it has it.
// Finds the top-level window with that exact caption (in another process)
// and prints its state, one `key values` line each, for the script to parse:
//
//   window X Y W H          outer rectangle on the screen
//   client X Y W H          client area: origin on the screen, size
//   visible yes|no, enabled yes|no, active yes|no (its thread's active window)
//   focus ID|window|none|other   the focus of the window's thread
//   tabs COUNT SELECTED     the first tab control inside (SELECTED from 0)
//   page ID "CAPTION"       the tab control's shown page
//   pushbuttons ID ...      the IDs of every push button inside, in Z order
//   closebox X Y            a screen point where the close box is hit
//   color NAME R G B        system colours the pictures are compared with
//   control ID CLASS X Y W H visible|hidden "TEXT"   for each ID asked
//                           (rectangle on the screen)
//
// Only messages without pointers cross the process boundary, so tab rectangles
// and column headers are left to pdlhost --report. Exit status 1 when no
// such window exists.
#include <windows.h>

#include <commctrl.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/DialogPrinter.h"
#include "host/WindowRead.h"
#include "toolkit/Clipboard.h"
#include "toolkit/Text.h"

namespace {

constexpr DWORD kAnswerTimeoutMs = 5000;

std::string Quoted(HWND window) { return host::Quoted(host::Utf8(host::TextOf(window))); }

void PrintPushButtons(HWND root) {
  std::string ids;
  for (HWND window : host::Descendants(root)) {
    if (host::IsPushButton(window)) ids += " " + std::to_string(GetDlgCtrlID(window));
  }
  std::printf("pushbuttons%s\n", ids.c_str());
}

void PrintColor(const char* name, int index) {
  const COLORREF color = GetSysColor(index);
  std::printf("color %s %d %d %d\n", name, GetRValue(color), GetGValue(color), GetBValue(color));
}

LRESULT HitTest(HWND window, int x, int y) {
  DWORD_PTR hit = HTNOWHERE;
  SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &hit);
  return static_cast<LRESULT>(hit);
}

// The close box's middle: the window itself says where it is, so the script
// needs no frame metrics. Rows from the title bar's middle outwards.
void PrintCloseBox(HWND window, const RECT& outer, const POINT& clientOrigin) {
  const int middle = (outer.top + clientOrigin.y) / 2;
  for (int step = 0; middle - step >= outer.top; ++step) {
    for (int y : {middle - step, middle + step}) {
      if (y >= clientOrigin.y) continue;
      int first = -1;
      int last = -1;
      for (int x = outer.right - 1; x >= outer.left; --x) {
        const bool close = HitTest(window, x, y) == HTCLOSE;
        if (!close && last >= 0) break;
        if (close && last < 0) last = x;
        if (close) first = x;
      }
      if (last < 0) continue;
      std::printf("closebox %d %d\n", (first + last) / 2, y);
      return;
    }
  }
  std::printf("closebox none\n");
}

std::string FocusText(HWND window, HWND focus) {
  if (!focus) return "none";
  if (focus == window) return "window";
  if (!IsChild(window, focus)) return "other";
  return std::to_string(GetDlgCtrlID(focus));
}

// Another program's view of the clipboard, as a user's next paste gets it.
int PrintClipboard() {
  if (!OpenClipboard(nullptr)) return 1;
  std::string text;
  bool found = false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = host::Utf8(chars);
      found = true;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  if (!found) return 1;
  _setmode(_fileno(stdout), _O_BINARY);  // the CRLFs as they are
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}

int HoldClipboard() {
  if (!OpenClipboard(nullptr)) return 1;
  std::printf("held\n");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  CloseClipboard();
  return 0;
}

// Tests run side by side, and another program may hold a hidden window of
// the same title (a dialog built but never shown): the shown one is meant.
HWND VisibleWindowTitled(const std::wstring& title) {
  HWND first = nullptr;
  for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, nullptr, title.c_str()));) {
    if (IsWindowVisible(window)) return window;
    if (!first) first = window;
  }
  return first;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--clipboard") == 0) return PrintClipboard();
  if (argc == 3 && std::strcmp(argv[1], "--set-clipboard") == 0) {
    return toolkit::PutClipboardText(nullptr, toolkit::Widen(argv[2], toolkit::TextEncoding::Ansi)) ? 0 : 1;
  }
  if (argc == 2 && std::strcmp(argv[1], "--hold-clipboard") == 0) return HoldClipboard();
  if (argc < 2) {
    std::fprintf(stderr, "usage: winquery TITLE [ID ...]\n");
    return 2;
  }
  const HWND window = VisibleWindowTitled(toolkit::Widen(argv[1], toolkit::TextEncoding::Ansi));
  if (!window) {
    std::printf("window none\n");
    return 1;
  }
  const host::ScreenPlacement at = host::PlacementOf(window);
  const RECT& outer = at.outer;
  std::printf("window %ld %ld %ld %ld\n", outer.left, outer.top, outer.right - outer.left,
              outer.bottom - outer.top);
  std::printf("client %ld %ld %ld %ld\n", at.clientOrigin.x, at.clientOrigin.y, at.clientSize.cx,
              at.clientSize.cy);
  std::printf("visible %s\n", host::YesNo(IsWindowVisible(window)).c_str());
  std::printf("enabled %s\n", host::YesNo(IsWindowEnabled(window)).c_str());
  const GUITHREADINFO gui = host::GuiThreadOf(GetWindowThreadProcessId(window, nullptr));
  std::printf("active %s\n", host::YesNo(gui.hwndActive == window).c_str());
  std::printf("focus %s\n", FocusText(window, gui.hwndFocus).c_str());

  if (HWND tabs = host::FindByClass(window, WC_TABCONTROLW)) {
    std::printf("tabs %d %d\n", static_cast<int>(host::Ask(tabs, TCM_GETITEMCOUNT, 0, 0)),
                host::SelectedTab(tabs));
    if (HWND page = host::ShownPage(tabs))
      std::printf("page %d %s\n", GetDlgCtrlID(page), Quoted(page).c_str());
  }
  PrintPushButtons(window);
  PrintCloseBox(window, outer, at.clientOrigin);
  PrintColor("btnface", COLOR_BTNFACE);
  PrintColor("activecaption", COLOR_ACTIVECAPTION);
  PrintColor("inactivecaption", COLOR_INACTIVECAPTION);

  for (int i = 2; i < argc; ++i) {
    const int id = std::atoi(argv[i]);
    const HWND control = host::FindById(window, id);
    if (!control) {
      std::printf("control %d none\n", id);
      continue;
    }
    const RECT rect = host::PlacementOf(control).outer;
    std::printf("control %d %s %ld %ld %ld %ld %s %s\n", id, host::ClassOf(control).c_str(), rect.left,
                rect.top, rect.right - rect.left, rect.bottom - rect.top,
                IsWindowVisible(control) ? "visible" : "hidden", Quoted(control).c_str());
  }
  return 0;
}
