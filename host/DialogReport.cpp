#include "host/DialogReport.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cwchar>
#include <filesystem>
#include <memory>
#include <thread>
#include <utility>

#include "host/DialogPrinter.h"
#include "host/EntryWatcher.h"
#include "host/HostWindow.h"
#include "host/OwnerWindow.h"
#include "host/PlugInLibrary.h"
#include "host/WindowCapture.h"
#include "host/WindowRead.h"
#include "toolkit/Text.h"

namespace host {

namespace {

constexpr DWORD kAppearTimeoutMs = 30000;
constexpr DWORD kAnswerTimeoutMs = 10000;
constexpr DWORD kActivateTimeoutMs = 3000;
constexpr DWORD kCloseTimeoutMs = 10000;

// Keeps the file name valid whatever the caption holds.
std::wstring FileNamePart(std::wstring caption) {
  std::replace_if(
      caption.begin(), caption.end(), [](wchar_t c) { return c < 0x20 || std::wcschr(L"\\/:*?\"<>| ", c); },
      L'_');
  return caption;
}

bool Answers(HWND window) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &ignored) != 0;
}

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
    before_ = ThreadWindows(threadId_);  // the owner among them
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
    printer_ = std::make_unique<DialogPrinter>(dialog_, owner_, threadId_,
                                               [this](const std::string& line, bool failure) {
                                                 Line(line);
                                                 failures_ += failure;
                                               });
    printer_->PrintDialog();
    printer_->PrintControls();
    printer_->PrintTabs();
    printer_->PrintLists();
    if (boxes_ == 0) Line("message box none");
    if (!screenshotDir_.empty()) TakeScreenshots();
    Close();
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
      if ((dialog_ = NewWindowOf(threadId_, before_))) return true;
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
      while (GuiThreadOf(threadId_).hwndActive != dialog_ && GetTickCount() - start < kActivateTimeoutMs)
        Sleep(10);
      if (Answers(dialog_) && TakeMessageBoxes() == 0) return true;
    }
    Fail("message boxes keep coming");
    return false;
  }

  // A mouse click in the middle of the tab: the tab control handles it as
  // any click and notifies the dialog, whose page change then runs as for a
  // user (selecting from code would change the strip only, not the page).
  // Sent, not posted, so the click has been handled when the call returns.
  bool SelectTab(HWND tabs, int index) {
    RECT rect{};
    if (!Ask(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect))) return false;
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    DWORD_PTR ignored = 0;
    for (const auto& [message, keys] :
         {std::pair<UINT, WPARAM>{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}}) {
      if (!SendMessageTimeoutW(tabs, message, keys, at, SMTO_NORMAL, kAnswerTimeoutMs, &ignored))
        return false;
    }
    return Ask(tabs, TCM_GETCURSEL, 0, 0) == index;
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
    std::error_code ignored;
    std::filesystem::create_directories(screenshotDir_, ignored);
    if (!std::filesystem::is_directory(screenshotDir_, ignored)) {
      Fail("cannot create the folder " + screenshotShown_);
      return;
    }
    const std::vector<HWND> strips = printer_->TabControls();
    if (strips.empty()) {
      Fail("no tab control to take page screenshots of");
      return;
    }
    const HWND tabs = strips.front();
    const int count = static_cast<int>(Ask(tabs, TCM_GETITEMCOUNT, 0, 0));
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
      Line(page + ": tab selected, page shown " + printer_->PageText(shown) + ", focus on " +
           printer_->Focus());
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
    // The dialog's one push button is its OK button.
    const HWND ok = printer_->PushButton();
    if (!ok) {
      Fail("no single push button (the OK button) to close the dialog with");
      CloseAnyway();
      return;
    }
    Line("closing with control " + std::to_string(printer_->IdOf(ok)) + " " + Quoted(Utf8(TextOf(ok))));
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(ok, BM_CLICK, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &ignored);
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
  std::vector<HWND> before_;
  std::atomic<bool> entryReturned_{false};
  HWND dialog_ = nullptr;
  std::unique_ptr<DialogPrinter> printer_;
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
  PlugInEntries entries;
  if (!lib.Describe(&entries, &error)) return Error(libPath + ": " + error);
  const uint32_t execute = entries.execute;
  if (!execute) return Error(libPath + " has no Execute entry inside itself");

  // Small and in the corner: the centred dialog must not cover it, nor it
  // the dialog in a screenshot. The library may borrow its owner's caption
  // (for its error box), so it sees the real host's.
  const OwnerWindow owner(
      toolkit::Widen(kHostTitle, toolkit::TextEncoding::Ansi).c_str(), ::DefWindowProcW,
      {WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, {0, 0, 240, 120}, COLOR_BTNFACE});
  if (!owner.Handle())
    return Error("cannot create the host window (error " + std::to_string(GetLastError()) + ")");
  std::fprintf(out, "library %s\n", FieldText(entries.lib.LibFileName).c_str());
  std::fprintf(out, "plug-in %s\n", Quoted(FieldText(entries.plugIn.PlugInName)).c_str());
  std::fflush(out);

  CallResult result{};
  int failures = 0;
  bool dialogDestroyed = false;
  {
    DialogWatcher watcher(GetCurrentThreadId(), owner.Handle(),
                          toolkit::Widen(screenshotDir.c_str(), toolkit::TextEncoding::Ansi), screenshotDir,
                          out);
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
