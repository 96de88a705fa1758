#include "host/HostWindow.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "host/PlugInLibrary.h"
#include "shared/Scoped.h"
#include "verinfo/VerInfo.h"

namespace host {

namespace {

constexpr char kClassName[] = "PdlHostWindow";
constexpr char kTitle[] = "Installed Plug-In's";
constexpr char kNoExecute[] = "This plug-in has no Execute entry.";

enum ControlId : int {
  kIdList = 100,
  kIdResult,
  kIdAbout,
  kIdExecute,
  kIdClose = IDCANCEL,  // so Escape closes, as in any dialog
};

// The window is normally gone already when the loop ends.
void DestroyIfAlive(HWND wnd) {
  if (IsWindow(wnd)) DestroyWindow(wnd);
}
void UnregisterHostClass(ATOM) { UnregisterClassA(kClassName, GetModuleHandleA(nullptr)); }

using WindowHandle = shared::Scoped<HWND, DestroyIfAlive>;
using WindowClass = shared::Scoped<ATOM, UnregisterHostClass>;

// Layout is in dialog units of the window's font, so it scales with the
// display density the way a dialog template would.
struct DialogUnits {
  int baseX = 6;
  int baseY = 13;
  int X(int units) const { return MulDiv(units, baseX, 4); }
  int Y(int units) const { return MulDiv(units, baseY, 8); }
};

DialogUnits MeasureFont(HFONT font) {
  DialogUnits units;
  const shared::ScopedWindowDC screen(nullptr);
  const HDC dc = screen.Get();
  if (!dc) return units;
  const shared::ScopedSelect selected(dc, font);
  TEXTMETRICA metrics{};
  SIZE extent{};
  static constexpr char kSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  if (GetTextMetricsA(dc, &metrics) && GetTextExtentPoint32A(dc, kSample, 52, &extent)) {
    units.baseX = (extent.cx / 26 + 1) / 2;
    units.baseY = metrics.tmHeight;
  }
  return units;
}

struct HostState {
  const plugin::TPlugInLibInfo* lib = nullptr;
  const plugin::TPlugInInfo* plugIn = nullptr;
  std::string version;
  uint32_t about = 0;
  uint32_t execute = 0;
  HFONT font = nullptr;
  DialogUnits du;
  HWND lastFocus = nullptr;
};

constexpr int kClientWidth = 320;  // dialog units
constexpr int kClientHeight = 178;
constexpr int kMargin = 7;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;

HWND AddControl(HWND parent, const HostState& state, const char* cls, const char* text, DWORD style, int id,
                int x, int y, int w, int h, DWORD exStyle = 0) {
  const DialogUnits& du = state.du;
  HWND control = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, du.X(x), du.Y(y), du.X(w),
                                 du.Y(h), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
  if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
  return control;
}

void AddColumn(HWND list, int index, const char* title, int width) {
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<char*>(title);
  column.cx = width;
  column.iSubItem = index;
  SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

void FillList(HWND list, const HostState& state) {
  const DialogUnits& du = state.du;
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  AddColumn(list, 0, "Name", du.X(120));
  AddColumn(list, 1, "Type", du.X(90));
  AddColumn(list, 2, "Library", du.X(80));
  const std::string cells[] = {FieldText(state.plugIn->PlugInName), FieldText(state.plugIn->PlugInCaption),
                               FieldText(state.lib->LibFileName)};
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_STATE;
  item.pszText = const_cast<char*>(cells[0].c_str());
  item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  for (int sub = 1; sub < 3; ++sub) {
    LVITEMA subItem{};
    subItem.iSubItem = sub;
    subItem.pszText = const_cast<char*>(cells[sub].c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&subItem));
  }
  // The last column takes what is left of the list's width.
  SendMessageA(list, LVM_SETCOLUMNWIDTH, 2, LVSCW_AUTOSIZE_USEHEADER);
}

void CreateControls(HWND wnd, HostState& state) {
  const int inner = kClientWidth - 2 * kMargin;
  HWND list =
      AddControl(wnd, state, WC_LISTVIEWA, "",
                 WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                 kIdList, kMargin, kMargin, inner, 70, WS_EX_CLIENTEDGE);
  if (list) FillList(list, state);

  const DWORD label = SS_LEFT | SS_NOPREFIX;
  const int valueX = kMargin + 70;
  const int valueWidth = kClientWidth - kMargin - valueX;
  AddControl(wnd, state, "STATIC", "Library version:", label, -1, kMargin, 84, 68, 8);
  AddControl(wnd, state, "STATIC", state.version.c_str(), label | SS_ENDELLIPSIS, -1, valueX, 84, valueWidth,
             8);
  AddControl(wnd, state, "STATIC", "Library copyright:", label, -1, kMargin, 96, 68, 8);
  AddControl(wnd, state, "STATIC", FieldText(state.lib->LibCopyright).c_str(), label | SS_ENDELLIPSIS, -1,
             valueX, 96, valueWidth, 8);
  AddControl(wnd, state, "BUTTON", "Plug-In description", BS_GROUPBOX, -1, kMargin, 110, inner, 38);
  AddControl(wnd, state, "STATIC", FieldText(state.plugIn->PlugInDescription).c_str(), label, -1, kMargin + 7,
             122, inner - 14, 20);

  const int buttonY = kClientHeight - kMargin - kButtonHeight;
  const int closeX = kClientWidth - kMargin - kButtonWidth;
  const int executeX = closeX - 4 - kButtonWidth;
  const int aboutX = executeX - 4 - kButtonWidth;
  AddControl(wnd, state, "STATIC", state.execute ? "" : kNoExecute, label | SS_ENDELLIPSIS, kIdResult,
             kMargin, buttonY + 3, aboutX - kMargin - 4, 8);
  // Execute is the default button; without it Enter closes instead.
  const DWORD push = WS_TABSTOP | BS_PUSHBUTTON;
  const DWORD defPush = WS_TABSTOP | BS_DEFPUSHBUTTON;
  AddControl(wnd, state, "BUTTON", "About", push | WS_GROUP | (state.about ? 0 : WS_DISABLED), kIdAbout,
             aboutX, buttonY, kButtonWidth, kButtonHeight);
  AddControl(wnd, state, "BUTTON", "Execute", state.execute ? defPush : push | WS_DISABLED, kIdExecute,
             executeX, buttonY, kButtonWidth, kButtonHeight);
  AddControl(wnd, state, "BUTTON", "Close", state.execute ? push : defPush, kIdClose, closeX, buttonY,
             kButtonWidth, kButtonHeight);
  // The list has the focus first, as the first control of a dialog would.
  state.lastFocus = list;
}

// The stack is put right again by the caller, so a wrong convention is only
// reported, loudly, for the plug-in's author to fix.
void WarnConvention(HWND wnd, const char* entry, const CallResult& result) {
  if (result.bytesRemoved == kEntryArgBytes) return;
  const std::string text = std::string("The ") + entry + " entry removed " +
                           std::to_string(result.bytesRemoved) + " bytes from the stack instead of " +
                           std::to_string(kEntryArgBytes) + ": it must be stdcall with two arguments.";
  MessageBoxA(wnd, text.c_str(), kTitle, MB_OK | MB_ICONWARNING);
}

void ShowExecuteFailure(HWND wnd, DWORD error) {
  char* system = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, error, 0, reinterpret_cast<char*>(&system), 0, nullptr);
  const std::string text = "Execute failed (error " + std::to_string(error) + ")" +
                           (system ? std::string(": ") + system : std::string("."));
  LocalFree(system);
  MessageBoxA(wnd, text.c_str(), kTitle, MB_OK | MB_ICONSTOP);
}

void CallEntry(HWND wnd, const HostState& state, int id) {
  if (id == kIdAbout && state.about) {
    WarnConvention(wnd, "About", PlugInLibrary::Entry(state.about, wnd));
  } else if (id == kIdExecute && state.execute) {
    SetLastError(ERROR_SUCCESS);
    const CallResult result = PlugInLibrary::Entry(state.execute, wnd);
    const DWORD error = GetLastError();
    SetDlgItemTextA(wnd, kIdResult, ("Last result: " + std::to_string(result.value)).c_str());
    WarnConvention(wnd, "Execute", result);
    // A plug-in that could not run reports 0xFFFFFFFF and the reason in the
    // thread's last-error code.
    if (result.value == 0xFFFFFFFFu) ShowExecuteFailure(wnd, error);
  }
}

LRESULT HandleMessage(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam, HostState& state) {
  switch (message) {
    case WM_CREATE:
      CreateControls(wnd, state);
      return 0;
    case WM_ACTIVATE:
      // Keep the keyboard focus where it was across message boxes and
      // switches to other programs, as a dialog does.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(wnd, focus)) state.lastFocus = focus;
      } else if (state.lastFocus && IsWindow(state.lastFocus)) {
        SetFocus(state.lastFocus);
        return 0;
      }
      break;
    case DM_GETDEFID:
      return MAKELRESULT(state.execute ? kIdExecute : kIdClose, DC_HASDEFID);
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) break;
      if (LOWORD(wParam) == kIdClose) {
        DestroyWindow(wnd);
      } else {
        CallEntry(wnd, state, LOWORD(wParam));
      }
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == kIdList && header->code == NM_DBLCLK) CallEntry(wnd, state, kIdExecute);
      break;
    }
    case WM_CLOSE:
      DestroyWindow(wnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(wnd, message, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* state = reinterpret_cast<HostState*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (!state) return DefWindowProcA(wnd, message, wParam, lParam);
  try {
    return HandleMessage(wnd, message, wParam, lParam, *state);
  } catch (...) {
    // Nothing may unwind into the system's dispatcher; a failed command
    // leaves the window as it was.
    return message == WM_CREATE ? -1 : 0;
  }
}

int Fail(const std::string& text) {
  std::fprintf(stderr, "pdlhost: %s\n", text.c_str());
  MessageBoxA(nullptr, text.c_str(), "pdlhost", MB_OK | MB_ICONERROR);
  return 1;
}

HFONT CreateDialogFont() {
  const shared::ScopedWindowDC screen(nullptr);
  const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
  return CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     "MS Shell Dlg");
}

int ShowWindowAndRun(HostState& state) {
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
  if (!InitCommonControlsEx(&controls)) return Fail("cannot initialise the common controls");

  const shared::ScopedFont font(CreateDialogFont());
  state.font = font ? font.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kClassName;
  const WindowClass windowClass(RegisterClassExA(&wc));
  if (!windowClass) {
    return Fail("cannot register the window class (error " + std::to_string(GetLastError()) + ")");
  }

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  const DWORD exStyle = WS_EX_CONTROLPARENT;
  state.du = MeasureFont(state.font);
  RECT frame{0, 0, state.du.X(kClientWidth), state.du.Y(kClientHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - width) / 2;
  const int y = work.top + (work.bottom - work.top - height) / 2;

  const WindowHandle window(CreateWindowExA(exStyle, kClassName, kTitle, style, x, y, width, height, nullptr,
                                            nullptr, instance, &state));
  if (!window) {
    return Fail("cannot create the host window (error " + std::to_string(GetLastError()) + ")");
  }
  ShowWindow(window.Get(), SW_SHOWNORMAL);
  UpdateWindow(window.Get());

  MSG msg;
  BOOL got;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return Fail("the message loop failed (error " + std::to_string(GetLastError()) + ")");
    if (IsWindow(window.Get()) && IsDialogMessageA(window.Get(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

int RunHostWindow(const std::string& libPath) {
  PlugInLibrary lib;
  std::string error;
  if (!lib.Load(libPath, &error)) return Fail(error);

  PlugInEntries entries;
  if (!lib.Describe(&entries, &error)) return Fail(libPath + ": " + error);

  HostState state;
  state.lib = &entries.lib;
  state.plugIn = &entries.plugIn;
  char modulePath[MAX_PATH];
  const DWORD length = GetModuleFileNameA(lib.Module(), modulePath, MAX_PATH);
  state.version =
      verinfo::TVersionInfo(length > 0 && length < MAX_PATH ? modulePath : libPath.c_str()).FileVersionText();
  if (state.version.empty()) state.version = "unknown";
  state.about = entries.about;
  state.execute = entries.execute;
  return ShowWindowAndRun(state);
}

}  // namespace host
