#include "host/DialogReport.h"

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "host/MessageBoxWatcher.h"
#include "host/PlugInLibrary.h"
#include "host/Utf8.h"
#include "host/WindowCapture.h"
#include "host/WindowList.h"

namespace host {

namespace {

constexpr wchar_t kOwnerClass[] = L"PdlHostReportOwner";
// The host window's caption: the library may borrow its owner's caption (for
// its error box), so it should see the same one as under the real host.
constexpr wchar_t kOwnerTitle[] = L"Installed Plug-In's";
constexpr int kFirstControlId = 1;
constexpr int kLastControlId = 75;
constexpr int kOkButtonId = 75;
constexpr int32_t kEntryArgBytes = 8;
constexpr DWORD kAppearTimeoutMs = 30000;
constexpr DWORD kAnswerTimeoutMs = 10000;
constexpr DWORD kActivateTimeoutMs = 3000;
constexpr DWORD kCloseTimeoutMs = 10000;

std::wstring FromAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

// In double quotes on one line, so every control stays one line of output.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (c == '\r') {
      quoted += "\\r";
    } else if (c == '\t') {
      quoted += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

// Through the W function: the A one turns what the ANSI code page lacks
// (Cyrillic, say) into '?'.
std::wstring TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

std::string ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return Utf8(name);
}

std::string Box(const RECT& r) {
  char text[64];
  std::snprintf(text, sizeof text, "(%ld,%ld %ldx%ld)", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return text;
}

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string YesNo(bool value) { return value ? "yes" : "no"; }

// Keeps the file name valid whatever the caption holds.
std::wstring FileNamePart(const std::wstring& caption) {
  std::wstring part;
  for (wchar_t c : caption) {
    const bool bad = c < 0x20 || std::wstring_view(L"\\/:*?\"<>| ").find(c) != std::wstring_view::npos;
    part += bad ? L'_' : c;
  }
  return part;
}

// Creates the folder and any missing folders above it.
bool MakeDirectories(const std::wstring& path) {
  for (size_t at = path.find_first_of(L"\\/", 1); at != std::wstring::npos;
       at = path.find_first_of(L"\\/", at + 1)) {
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryW(path.c_str(), nullptr);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<HWND> Children(HWND window) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

bool Answers(HWND window) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &ignored) != 0;
}

// The main thread's side: the owner window, registered and destroyed here.
class OwnerWindow {
 public:
  OwnerWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kOwnerClass;
    registered_ = RegisterClassExW(&wc) != 0;
    if (!registered_) return;
    // Small and in the corner: the centred dialog must not cover it, nor it
    // the dialog in a screenshot.
    window_ = CreateWindowExW(0, kOwnerClass, kOwnerTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, 0, 240,
                              120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window_) {
      ShowWindow(window_, SW_SHOWNORMAL);
      UpdateWindow(window_);
    }
  }
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;
  ~OwnerWindow() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    if (registered_) UnregisterClassW(kOwnerClass, GetModuleHandleW(nullptr));
  }
  HWND Handle() const { return window_; }

 private:
  bool registered_ = false;
  HWND window_ = nullptr;
};

// Watches the main thread from a second thread while the entry runs there:
// waits for the dialog, reads it, photographs its pages, closes it.
class DialogWatcher {
 public:
  DialogWatcher(DWORD threadId, HWND owner, std::wstring screenshotDir, std::string screenshotShown,
                FILE* out)
      : threadId_(threadId),
        owner_(owner),
        screenshotDir_(std::move(screenshotDir)),
        screenshotShown_(std::move(screenshotShown)),
        out_(out) {
    for (HWND window : ThreadWindows(threadId_)) before_.insert(window);
    watcher_ = std::thread([this] { Run(); });
  }
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;
  ~DialogWatcher() { Finish(); }

  void EntryReturned() { entryReturned_ = true; }
  // Waits for the watch to end; the number of failures it printed.
  int Finish() {
    if (watcher_.joinable()) watcher_.join();
    return failures_;
  }
  HWND Dialog() const { return dialog_; }

 private:
  void Line(const std::string& text) {
    std::fputs(text.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
  }
  void Fail(const std::string& text) {
    Line("FAIL " + text);
    ++failures_;
  }

  void Run() noexcept {
    try {
      Watch();
    } catch (const std::exception& error) {
      Fail(std::string("the watch stopped: ") + error.what());
      CloseAnyway();
    } catch (...) {
      Fail("the watch stopped");
      CloseAnyway();
    }
  }

  void Watch() {
    if (!WaitForDialog()) return;
    if (!WaitUntilRunning()) {
      CloseAnyway();
      return;
    }
    FindControls();
    PrintDialog();
    PrintControls();
    PrintTabs();
    PrintLists();
    if (boxes_ == 0) Line("message box none");
    if (!screenshotDir_.empty()) TakeScreenshots();
    Close();
  }

  // A new visible top-level window of the main thread with a title bar,
  // other than the owner and other than a message box (a tooltip or other
  // helper window has no title bar).
  HWND FindNewWindow() const {
    for (HWND window : ThreadWindows(threadId_)) {
      if (window == owner_ || before_.count(window) || !IsWindowVisible(window)) continue;
      if ((GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) != WS_CAPTION) continue;
      if (ClassOf(window) == "#32770") continue;
      return window;
    }
    return nullptr;
  }

  // Records and dismisses every message box on the main thread; how many.
  int TakeMessageBoxes() {
    int taken = 0;
    while (HWND box = FindMessageBox(threadId_)) {
      const SeenMessageBox seen = RecordMessageBox(box);
      std::string buttons;
      for (int id : seen.buttonIds) {
        if (!buttons.empty()) buttons += ',';
        buttons += std::to_string(id);
      }
      const std::string owner = seen.owner == nullptr   ? "none"
                                : seen.owner == dialog_ ? "dialog"
                                : seen.owner == owner_  ? "host window"
                                                        : "other window";
      Line("message box " + Quoted(seen.caption) + " text " + Quoted(seen.text) + " buttons " +
           (buttons.empty() ? "none" : buttons) + " icon " + YesNo(seen.icon != nullptr) + " owner " + owner);
      ++boxes_;
      ++taken;
      if (!DismissMessageBox(box, seen, kAnswerTimeoutMs)) {
        Fail("the message box did not go away");
        return taken;
      }
    }
    return taken;
  }

  bool WaitForDialog() {
    const DWORD start = GetTickCount();
    while (!entryReturned_) {
      TakeMessageBoxes();
      if ((dialog_ = FindNewWindow())) return true;
      if (GetTickCount() - start >= kAppearTimeoutMs) {
        Fail("no dialog appeared within " + std::to_string(kAppearTimeoutMs / 1000) + " s");
        GiveUp();
      }
      Sleep(10);
    }
    TakeMessageBoxes();
    Fail("the Execute entry returned without showing a dialog");
    return false;
  }

  // The dialog is activated before its modal loop starts reading input; a
  // sent message is answered only from inside a message loop, so once
  // WM_NULL comes back the dialog is up, activated and taking input. A
  // message box's loop answers too, so boxes are taken away and it is asked
  // again. Wine can also answer while the activation itself waits on another
  // process (seen on the first window after the Wine server started), hence
  // the wait for the activation before the last question.
  bool WaitUntilRunning() {
    for (int round = 0; round < 10; ++round) {
      if (!Answers(dialog_)) {
        Fail("the dialog does not answer messages");
        return false;
      }
      if (TakeMessageBoxes() > 0) continue;
      const DWORD start = GetTickCount();
      while (ActiveWindow() != dialog_ && GetTickCount() - start < kActivateTimeoutMs) Sleep(10);
      if (Answers(dialog_) && TakeMessageBoxes() == 0) return true;
    }
    Fail("message boxes keep coming");
    return false;
  }

  HWND ActiveWindow() const {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    return GetGUIThreadInfo(threadId_, &gui) ? gui.hwndActive : nullptr;
  }

  void FindControls() {
    for (HWND window : Descendants(dialog_)) {
      const int id = GetDlgCtrlID(window);
      if (id < kFirstControlId || id > kLastControlId) continue;
      ++idCount_[id];
      if (!controls_.count(id)) controls_[id] = window;
    }
  }

  int IdOf(HWND window) const {
    for (const auto& [id, control] : controls_) {
      if (control == window) return id;
    }
    return 0;
  }

  std::string Describe(HWND window) const {
    if (!window) return "none";
    if (window == dialog_) return "dialog";
    if (window == owner_) return "host window";
    if (const int id = IdOf(window)) return "control " + std::to_string(id);
    return "window of class " + ClassOf(window);
  }

  void PrintDialog() {
    RECT outer{};
    RECT client{};
    GetWindowRect(dialog_, &outer);
    GetClientRect(dialog_, &client);
    POINT origin{0, 0};
    ClientToScreen(dialog_, &origin);
    Line("dialog " + Quoted(Utf8(TextOf(dialog_))) + " class " + ClassOf(dialog_));
    const HWND owner = GetWindow(dialog_, GW_OWNER);
    Line("dialog owner " + Describe(owner));
    Line("dialog client " + std::to_string(client.right) + "x" + std::to_string(client.bottom) + " at (" +
         std::to_string(origin.x) + "," + std::to_string(origin.y) + ")");
    Line("dialog window " + Box(outer));
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(threadId_, &gui);
    Line("dialog active " + YesNo(gui.hwndActive == dialog_) + ", focus on " + Describe(gui.hwndFocus));
    Line("host window enabled " + YesNo(IsWindowEnabled(owner_) != FALSE));
  }

  void PrintControls() {
    for (int id = kFirstControlId; id <= kLastControlId; ++id) {
      const auto found = controls_.find(id);
      if (found == controls_.end()) {
        Fail("control " + std::to_string(id) + " missing");
        continue;
      }
      const HWND control = found->second;
      const LONG style = GetWindowLongW(control, GWL_STYLE);
      const std::string cls = ClassOf(control);
      std::string line = "control " + std::to_string(id) + " " + cls + " " + Quoted(Utf8(TextOf(control))) +
                         " " + Box(RectInParent(control)) + " in " + Describe(GetParent(control)) + " " +
                         ((style & WS_VISIBLE) ? "visible" : "hidden");
      if (style & WS_DISABLED) line += " disabled";
      if (lstrcmpiA(cls.c_str(), "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        line += SendMessageW(control, STM_GETICON, 0, 0) ? " icon" : " no-icon";
      }
      Line(line);
      if (idCount_[id] > 1)
        Fail("control ID " + std::to_string(id) + " is used " + std::to_string(idCount_[id]) + " times");
    }
    // Anything else placed on the dialog or on a page is worth knowing about.
    std::vector<HWND> containers{dialog_};
    for (const auto& [id, control] : controls_) {
      if (ClassOf(control) == WC_TABCONTROLA) {
        for (HWND page : Children(control)) containers.push_back(page);
      }
    }
    for (HWND container : containers) {
      for (HWND child : Children(container)) {
        if (IdOf(child)) continue;
        Line("other window id " + std::to_string(GetDlgCtrlID(child)) + " " + ClassOf(child) + " " +
             Quoted(Utf8(TextOf(child))) + " in " + Describe(container));
      }
    }
  }

  std::vector<HWND> TabControls() const {
    std::vector<HWND> tabs;
    for (const auto& [id, control] : controls_) {
      if (ClassOf(control) == WC_TABCONTROLA) tabs.push_back(control);
    }
    return tabs;
  }

  static std::wstring TabCaption(HWND tabs, int index) {
    wchar_t text[256] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 256;
    if (!SendMessageW(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item))) return {};
    return item.pszText ? item.pszText : L"";
  }

  // The page windows are the tab control's children; the shown one is the
  // page of the selected tab.
  HWND ShownPage(HWND tabs) const {
    HWND shown = nullptr;
    for (HWND page : Children(tabs)) {
      if (!(GetWindowLongW(page, GWL_STYLE) & WS_VISIBLE)) continue;
      if (shown) return nullptr;  // two pages at once is no answer
      shown = page;
    }
    return shown;
  }

  std::string PageText(HWND page) const {
    return page ? Describe(page) + " " + Quoted(Utf8(TextOf(page))) : std::string("none");
  }

  void PrintTabs() {
    for (HWND tabs : TabControls()) {
      const std::string name = "tabs of control " + std::to_string(IdOf(tabs));
      const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
      const int selected = static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
      Line(name + ": " + std::to_string(count) + ", selected " + std::to_string(selected + 1) +
           ", page shown " + PageText(ShownPage(tabs)));
      for (int i = 0; i < count; ++i) {
        RECT rect{};
        SendMessageW(tabs, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect));
        Line("tab " + std::to_string(i + 1) + " " + Quoted(Utf8(TabCaption(tabs, i))) + " " + Box(rect));
      }
    }
  }

  void PrintLists() {
    for (const auto& [id, control] : controls_) {
      if (ClassOf(control) != WC_LISTVIEWA) continue;
      const std::string name = "list " + std::to_string(id);
      for (int column = 0;; ++column) {
        wchar_t text[256] = {};
        LVCOLUMNW info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH;
        info.pszText = text;
        info.cchTextMax = 256;
        if (!SendMessageW(control, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&info))) break;
        Line(name + " column " + std::to_string(column + 1) + " " +
             Quoted(Utf8(info.pszText ? info.pszText : L"")) + " width " + std::to_string(info.cx));
      }
      Line(name + " rows " + std::to_string(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0)));
    }
  }

  // A mouse click in the middle of the tab: the tab control handles it as
  // any click and notifies the dialog, whose page change then runs as for a
  // user (selecting from code would change the strip only, not the page).
  // Sent, not posted, so the click has been handled when the call returns.
  bool SelectTab(HWND tabs, int index) {
    RECT rect{};
    if (!SendMessageW(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect))) return false;
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    DWORD_PTR ignored = 0;
    for (const auto& [message, keys] :
         {std::pair<UINT, WPARAM>{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}}) {
      if (!SendMessageTimeoutW(tabs, message, keys, at, SMTO_NORMAL, kAnswerTimeoutMs, &ignored))
        return false;
    }
    return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == index;
  }

  // Everything painted and on the screen: paint now, then let the main
  // thread go idle once (Wine puts painted windows on the screen then).
  void Settle() {
    RedrawWindow(dialog_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Answers(dialog_);
    Sleep(100);
    Answers(dialog_);
  }

  void TakeScreenshots() {
    if (!MakeDirectories(screenshotDir_)) {
      Fail("cannot create the folder " + screenshotShown_);
      return;
    }
    const std::vector<HWND> strips = TabControls();
    if (strips.empty()) {
      Fail("no tab control to take page screenshots of");
      return;
    }
    const HWND tabs = strips.front();
    const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      const std::wstring caption = TabCaption(tabs, i);
      const std::string page = "page " + std::to_string(i + 1) + " " + Quoted(Utf8(caption));
      if (!SelectTab(tabs, i)) {
        Fail(page + ": a click on its tab did not select it");
        continue;
      }
      TakeMessageBoxes();
      const HWND shown = ShownPage(tabs);
      const bool right = shown && TextOf(shown) == caption;
      Line(page + ": tab selected, page shown " + PageText(shown) + ", focus on " + Focus());
      if (!right) Fail(page + ": the page shown is not the tab's page");
      Settle();
      const std::wstring file = L"page-" + std::to_wstring(i + 1) + L"-" + FileNamePart(caption) + L".png";
      std::string error;
      if (SaveWindowPng(dialog_, screenshotDir_ + L"\\" + file, &error)) {
        Line(page + ": screenshot " + screenshotShown_ + "/" + Utf8(file));
      } else {
        Fail(page + ": screenshot not saved: " + error);
      }
    }
  }

  std::string Focus() const {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(threadId_, &gui);
    return Describe(gui.hwndFocus);
  }

  bool WaitForReturn(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!entryReturned_) {
      TakeMessageBoxes();
      if (GetTickCount() - start >= timeoutMs) return false;
      Sleep(10);
    }
    return true;
  }

  void Close() {
    const auto ok = controls_.find(kOkButtonId);
    if (ok == controls_.end()) {
      Fail("no OK button to close the dialog with");
      CloseAnyway();
      return;
    }
    Line("closing with control " + std::to_string(kOkButtonId) + " " + Quoted(Utf8(TextOf(ok->second))));
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(ok->second, BM_CLICK, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &ignored);
    if (WaitForReturn(kCloseTimeoutMs)) return;
    Fail("the dialog did not close after its OK button was clicked");
    CloseAnyway();
  }

  // Ends the dialog the way its close box does; the process cannot go on
  // while the entry never returns.
  void CloseAnyway() {
    if (entryReturned_) return;
    if (dialog_ && IsWindow(dialog_)) PostMessageW(dialog_, WM_CLOSE, 0, 0);
    if (!WaitForReturn(kCloseTimeoutMs)) GiveUp();
  }

  [[noreturn]] void GiveUp() {
    Fail("the Execute entry does not return; ending the process");
    TerminateProcess(GetCurrentProcess(), 1);
    for (;;) Sleep(INFINITE);
  }

  DWORD threadId_;
  HWND owner_;
  std::wstring screenshotDir_;
  std::string screenshotShown_;
  FILE* out_;
  std::set<HWND> before_;
  std::atomic<bool> entryReturned_{false};
  HWND dialog_ = nullptr;
  std::map<int, HWND> controls_;
  std::map<int, int> idCount_;
  int boxes_ = 0;
  int failures_ = 0;
  std::thread watcher_;
};

int Error(const std::string& text) {
  std::fprintf(stderr, "pdlhost: %s\n", text.c_str());
  return 1;
}

}  // namespace

int RunDialogReport(const std::string& libPath, const std::string& screenshotDir, FILE* out) {
  PlugInLibrary lib;
  std::string error;
  if (!lib.Load(libPath, &error)) return Error(error);
  plugin::TPlugInLibInfo libInfo{};
  lib.Init(&libInfo);
  if (!lib.Contains(libInfo.LibProc))
    return Error(libPath + " did not give a library callback inside itself");
  plugin::TPlugInInfo plugInInfo{};
  const CallResult served = PlugInLibrary::LibProc(libInfo, plugin::kRequestPlugInInfo, &plugInInfo);
  if (served.value != plugin::kResultServed) {
    return Error(libPath + " did not describe its plug-in (result " + std::to_string(served.value) + ")");
  }
  if (!lib.Contains(plugInInfo.FuncProc))
    return Error(libPath + " did not give an entry lookup inside itself");
  const uint32_t execute = PlugInLibrary::FuncProc(plugInInfo, plugin::kFuncExecute).value;
  if (execute == plugin::kResultNoEntry) {
    return Error(libPath + " has no Execute entry: PlugInFuncProc(" + std::to_string(plugin::kFuncExecute) +
                 ") gave 0");
  }
  if (!lib.Contains(execute)) {
    return Error(libPath + " gave an Execute entry outside itself (PlugInFuncProc(" +
                 std::to_string(plugin::kFuncExecute) + ") gave " + std::to_string(execute) + ")");
  }

  OwnerWindow owner;
  if (!owner.Handle())
    return Error("cannot create the host window (error " + std::to_string(GetLastError()) + ")");
  std::fprintf(out, "library %s\n", FieldText(libInfo.LibFileName).c_str());
  std::fprintf(out, "plug-in %s\n", Quoted(FieldText(plugInInfo.PlugInName)).c_str());
  std::fflush(out);

  CallResult result{};
  int failures = 0;
  bool dialogDestroyed = false;
  {
    DialogWatcher watcher(GetCurrentThreadId(), owner.Handle(), FromAnsi(screenshotDir), screenshotDir, out);
    result = PlugInLibrary::Entry(execute, owner.Handle());
    watcher.EntryReturned();
    failures = watcher.Finish();
    dialogDestroyed = watcher.Dialog() && !IsWindow(watcher.Dialog());
  }
  std::fprintf(out, "entry result %u\n", static_cast<unsigned>(result.value));
  std::fprintf(out, "entry removed %d stack bytes\n", static_cast<int>(result.bytesRemoved));
  std::fprintf(out, "dialog destroyed %s\n", YesNo(dialogDestroyed).c_str());
  std::fprintf(out, "host window enabled %s\n", YesNo(IsWindowEnabled(owner.Handle()) != FALSE).c_str());
  if (result.bytesRemoved != kEntryArgBytes) {
    std::fprintf(out, "FAIL the entry removed %d stack bytes instead of %d\n",
                 static_cast<int>(result.bytesRemoved), kEntryArgBytes);
    ++failures;
  }
  std::fprintf(out, "%s\n", failures ? "FAIL" : "PASS");
  std::fflush(out);
  return failures ? 1 : 0;
}

}  // namespace host
