#include "host/HostWindow.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "host/HostWindowIds.h"
#include "host/PlugInLibrary.h"
#include "verinfo/VerInfo.h"

namespace host {

namespace {

constexpr char kNoExecute[] = "This plug-in has no Execute entry.";

struct HostState {
  const plugin::TPlugInLibInfo* lib = nullptr;
  const plugin::TPlugInInfo* plugIn = nullptr;
  std::string version;
  uint32_t about = 0;
  uint32_t execute = 0;
};

// Dialog units across, in pixels.
int PixelsAcross(HWND dialog, int units) {
  RECT rect{0, 0, units, 0};
  MapDialogRect(dialog, &rect);
  return rect.right;
}

void AddColumn(HWND list, int index, const char* title, int width) {
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<char*>(title);
  column.cx = PixelsAcross(GetParent(list), width);
  column.iSubItem = index;
  SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

void FillList(HWND list, const HostState& state) {
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  AddColumn(list, 0, "Name", 120);
  AddColumn(list, 1, "Type", 90);
  AddColumn(list, 2, "Library", 80);
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

// The stack is put right again by the caller, so a wrong convention is only
// reported, loudly, for the plug-in's author to fix.
void WarnConvention(HWND wnd, const char* entry, const CallResult& result) {
  if (result.bytesRemoved == kEntryArgBytes) return;
  const std::string text = std::string("The ") + entry + " entry removed " +
                           std::to_string(result.bytesRemoved) + " bytes from the stack instead of " +
                           std::to_string(kEntryArgBytes) + ": it must be stdcall with two arguments.";
  MessageBoxA(wnd, text.c_str(), kHostTitle, MB_OK | MB_ICONWARNING);
}

void ShowExecuteFailure(HWND wnd, DWORD error) {
  char* system = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, error, 0, reinterpret_cast<char*>(&system), 0, nullptr);
  const std::string text = "Execute failed (error " + std::to_string(error) + ")" +
                           (system ? std::string(": ") + system : std::string("."));
  LocalFree(system);
  MessageBoxA(wnd, text.c_str(), kHostTitle, MB_OK | MB_ICONSTOP);
}

// The window's texts from the library, and what its missing entries leave
// disabled.
void FillWindow(HWND wnd, const HostState& state) {
  SetWindowTextA(wnd, kHostTitle);
  SetDlgItemTextA(wnd, PDLHOST_VERSION, state.version.c_str());
  SetDlgItemTextA(wnd, PDLHOST_COPYRIGHT, FieldText(state.lib->LibCopyright).c_str());
  SetDlgItemTextA(wnd, PDLHOST_DESCRIPTION, FieldText(state.plugIn->PlugInDescription).c_str());
  EnableWindow(GetDlgItem(wnd, PDLHOST_ABOUT), state.about != 0);
  if (state.execute) return;
  SetDlgItemTextA(wnd, PDLHOST_RESULT, kNoExecute);
  EnableWindow(GetDlgItem(wnd, PDLHOST_EXECUTE), FALSE);
  SendMessageA(wnd, DM_SETDEFID, IDCANCEL, 0);
}

void CallEntry(HWND wnd, const HostState& state, int id) {
  if (id == PDLHOST_ABOUT && state.about) {
    WarnConvention(wnd, "About", PlugInLibrary::Entry(state.about, wnd));
  } else if (id == PDLHOST_EXECUTE && state.execute) {
    SetLastError(ERROR_SUCCESS);
    const CallResult result = PlugInLibrary::Entry(state.execute, wnd);
    const DWORD error = GetLastError();
    SetDlgItemTextA(wnd, PDLHOST_RESULT, ("Last result: " + std::to_string(result.value)).c_str());
    WarnConvention(wnd, "Execute", result);
    // A plug-in that could not run reports 0xFFFFFFFF and the reason in the
    // thread's last-error code.
    if (result.value == 0xFFFFFFFFu) ShowExecuteFailure(wnd, error);
  }
}

INT_PTR HandleMessage(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam, const HostState& state) {
  switch (message) {
    case WM_INITDIALOG:
      // The system's application icon, the small one in its own size.
      SendMessageA(wnd, WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION))));
      SendMessageA(wnd, WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(LoadImageA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION),
                                                       IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                       GetSystemMetrics(SM_CYSMICON), LR_SHARED)));
      FillList(GetDlgItem(wnd, PDLHOST_LIST), state);
      FillWindow(wnd, state);
      // No focus yet: it goes to the list when the window is shown and
      // activated, which a focus set while it is hidden would forestall.
      return FALSE;
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) break;
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(wnd, 0);
      } else {
        CallEntry(wnd, state, LOWORD(wParam));
      }
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == PDLHOST_LIST && header->code == NM_DBLCLK) CallEntry(wnd, state, PDLHOST_EXECUTE);
      break;
    }
  }
  return FALSE;
}

INT_PTR CALLBACK DialogProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(wnd, DWLP_USER, lParam);
  const auto* state = reinterpret_cast<const HostState*>(GetWindowLongPtrA(wnd, DWLP_USER));
  if (!state) return FALSE;
  try {
    return HandleMessage(wnd, message, wParam, lParam, *state);
  } catch (...) {
    // Nothing may unwind into the system's dispatcher; a failed command
    // leaves the window as it was.
    return FALSE;
  }
}

int Fail(const std::string& text) {
  std::fprintf(stderr, "pdlhost: %s\n", text.c_str());
  MessageBoxA(nullptr, text.c_str(), "pdlhost", MB_OK | MB_ICONERROR);
  return 1;
}

int ShowWindowAndRun(const HostState& state) {
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
  if (!InitCommonControlsEx(&controls)) return Fail("cannot initialise the common controls");
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(PDLHOST_WINDOW), nullptr,
                                         DialogProc, reinterpret_cast<LPARAM>(&state));
  if (result == -1)
    return Fail("cannot create the host window (error " + std::to_string(GetLastError()) + ")");
  return static_cast<int>(result);
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
