// The built library as the host loads it, handed bad owner windows: null,
// made-up handles, a destroyed window's handle, the desktop, an owner that
// goes away while the dialog is up, an always-on-top window of another
// thread or process; entries called again after the dialog closed; loading
// and unloading without ever opening the dialog. A watcher
// thread dismisses every message box and closes every dialog, recording
// what it saw, so nothing waits for a person.
#include <windows.h>

#include <gtest/gtest.h>
#include <process.h>

#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "dialog/SysDlgControls.h"
#include "dialog/SysDlgReads.h"
#include "host/EntryWatcher.h"
#include "host/OwnerWindow.h"
#include "host/PlugInLibrary.h"
#include "host/ProcessCounters.h"
#include "host/WindowRead.h"
#include "plugin/PlugInRecords.h"
#include "shared/Scoped.h"
#include "tests/TestPaths.h"
#include "tests/gather/ScratchRegistry.h"

namespace {

constexpr uint32_t kExecuteFailed = 0xFFFFFFFF;

// A handle that named a window a moment ago.
HWND DestroyedWindowHandle() {
  HWND window = host::CreatePlainWindow("host");
  ::DestroyWindow(window);
  return window;
}

struct Owner {
  const char* name;
  HWND handle;
};

std::vector<Owner> BadOwners() {
  return {{"(HWND)0x1234", reinterpret_cast<HWND>(0x1234)},
          {"(HWND)0xDEADBEEF", reinterpret_cast<HWND>(0xDEADBEEF)},
          {"a destroyed window", DestroyedWindowHandle()}};
}

// What one entry call did.
struct Call {
  uint32_t result = 0;
  DWORD lastError = 0;
  int bytesRemoved = 0;
  host::Watched seen;
  int windowsLeft = 0;  // thread windows after the call beyond those before it
};

class HostEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(lib_.Load(testing_paths::PlugInPath(), &error)) << error;
    host::PlugInEntries entries;
    ASSERT_TRUE(lib_.Describe(&entries, &error)) << error;
    about_ = entries.about;
    execute_ = entries.execute;
    ASSERT_TRUE(lib_.Contains(about_) && lib_.Contains(execute_));
  }

  // `closeAfterMs`: how long a dialog stays up before the watcher closes it.
  Call Run(uint32_t entry, HWND owner, DWORD closeAfterMs = 50) {
    Call call;
    const int windowsBefore = host::ThreadWindowCount();
    host::EntryWatcher closer({0, closeAfterMs, {}});
    ::SetLastError(0xDEADBEEF);
    const host::CallResult result = host::PlugInLibrary::Entry(entry, owner);
    call.lastError = ::GetLastError();
    call.result = result.value;
    call.bytesRemoved = result.bytesRemoved;
    call.seen = closer.Stop();
    call.windowsLeft = host::ThreadWindowCount() - windowsBefore;
    return call;
  }

  static void Print(const char* entry, const char* owner, const Call& call) {
    std::printf("%-8s %-22s result 0x%08X last error %lu, %d dialog(s), %zu box(es)", entry, owner,
                call.result, static_cast<unsigned long>(call.lastError), call.seen.dialogs,
                call.seen.boxes.size());
    for (HWND dialogOwner : call.seen.dialogOwners)
      std::printf(", dialog owner %p", static_cast<void*>(dialogOwner));
    for (const host::SeenMessageBox& box : call.seen.boxes)
      std::printf(", box \"%s\" owner %p", box.caption.c_str(), static_cast<void*>(box.owner));
    std::printf("\n");
  }

  host::PlugInLibrary lib_;
  uint32_t about_ = 0, execute_ = 0;
};

}  // namespace

TEST_F(HostEntriesTest, AboutOverWindowZeroShowsAnUnownedBox) {
  const Call call = Run(about_, nullptr);
  Print("About", "0", call);
  EXPECT_EQ(call.bytesRemoved, 8);
  ASSERT_EQ(call.seen.boxes.size(), 1u);
  EXPECT_EQ(call.seen.boxes[0].owner, nullptr);
  EXPECT_EQ(call.windowsLeft, 0);
}

// The box cannot be owned by a window that does not exist: the platform
// refuses it, and the entry returns as usual, leaving nothing behind.
TEST_F(HostEntriesTest, AboutOverAWindowThatDoesNotExistReturnsCleanly) {
  for (const Owner& owner : BadOwners()) {
    SCOPED_TRACE(owner.name);
    ASSERT_FALSE(::IsWindow(owner.handle));
    const Call call = Run(about_, owner.handle);
    Print("About", owner.name, call);
    EXPECT_EQ(call.bytesRemoved, 8);
    EXPECT_LE(call.seen.boxes.size(), 1u);
    for (const host::SeenMessageBox& box : call.seen.boxes)
      EXPECT_EQ(box.owner, nullptr) << "a box that shows has no owner";
    EXPECT_EQ(call.seen.dialogs, 0);
    EXPECT_EQ(call.windowsLeft, 0);
  }
}

// The dialog cannot be owned by a window that does not exist: Execute
// fails with its documented result and the platform's reason, and a host
// window works again right after.
TEST_F(HostEntriesTest, ExecuteOverAWindowThatDoesNotExistFailsCleanly) {
  for (const Owner& owner : BadOwners()) {
    SCOPED_TRACE(owner.name);
    const Call call = Run(execute_, owner.handle);
    Print("Execute", owner.name, call);
    EXPECT_EQ(call.bytesRemoved, 8);
    if (call.seen.dialogs == 0) {
      EXPECT_EQ(call.result, kExecuteFailed);
      EXPECT_EQ(call.lastError, static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    } else {
      EXPECT_EQ(call.result, 0u);
      EXPECT_EQ(call.seen.dialogOwners[0], nullptr) << "a dialog that shows has no owner";
    }
    EXPECT_TRUE(call.seen.boxes.empty()) << "the library shows nothing of its own for the failure";
    EXPECT_EQ(call.windowsLeft, 0);
  }
  HWND host = host::CreatePlainWindow("host");
  const Call call = Run(execute_, host);
  Print("Execute", "a host window after", call);
  EXPECT_EQ(call.result, 0u);
  ASSERT_EQ(call.seen.dialogs, 1);
  EXPECT_EQ(call.seen.dialogOwners[0], host) << "nothing of the failed calls stuck";
  EXPECT_TRUE(::IsWindowEnabled(host));
  ::DestroyWindow(host);
}

TEST_F(HostEntriesTest, ExecuteOverWindowZeroAndOverTheDesktopShowsAnUnownedDialog) {
  for (const Owner& owner : {Owner{"0", nullptr}, Owner{"the desktop", ::GetDesktopWindow()}}) {
    SCOPED_TRACE(owner.name);
    const Call call = Run(execute_, owner.handle);
    Print("Execute", owner.name, call);
    EXPECT_EQ(call.result, 0u);
    ASSERT_EQ(call.seen.dialogs, 1);
    EXPECT_EQ(call.seen.dialogOwners[0], nullptr);
    EXPECT_EQ(call.windowsLeft, 0);
  }
}

TEST_F(HostEntriesTest, EntriesCalledAgainAfterTheDialogClosedWorkAsTheFirstTime) {
  HWND host = host::CreatePlainWindow("host");
  const Call first = Run(execute_, host);
  const Call second = Run(execute_, host);
  const Call about = Run(about_, host);
  const Call third = Run(execute_, nullptr);
  const Call aboutGarbage = Run(about_, reinterpret_cast<HWND>(0x1234));
  Print("Execute", "host", first);
  Print("Execute", "host, again", second);
  Print("About", "host, after", about);
  Print("Execute", "0, after", third);
  Print("About", "(HWND)0x1234, after", aboutGarbage);
  for (const Call* call : {&first, &second, &third}) {
    EXPECT_EQ(call->result, 0u);
    EXPECT_EQ(call->seen.dialogs, 1);
    EXPECT_TRUE(call->seen.boxes.empty());
    EXPECT_EQ(call->windowsLeft, 0);
  }
  EXPECT_EQ(first.seen.dialogOwners, std::vector<HWND>{host});
  EXPECT_EQ(second.seen.dialogOwners, std::vector<HWND>{host});
  ASSERT_EQ(about.seen.boxes.size(), 1u);
  EXPECT_EQ(about.seen.boxes[0].owner, host);
  EXPECT_EQ(about.windowsLeft, 0);
  EXPECT_EQ(aboutGarbage.windowsLeft, 0);
  EXPECT_TRUE(::IsWindowEnabled(host));
  ::DestroyWindow(host);
}

// A host that has the compiler's shared runtime loaded: the library's throws
// are still unwound by its own runtime, with its own tables. A value of the
// wrong type ends the activation pass with its error box, and Execute
// returns as usual.
TEST(HostWithSharedRuntimeTest, AnErrorInsideTheLibraryShowsItsBox) {
  const shared::ScopedModule runtime(
      ::LoadLibraryExA(testing_paths::BesideExecutable("hostlibs\\libgcc_s_dw2-1.dll").c_str(), nullptr,
                       LOAD_WITH_ALTERED_SEARCH_PATH));
  ASSERT_TRUE(runtime) << "error " << ::GetLastError();
  gather_test::ScratchRegistry scratch;
  scratch.SetDword(dialog::kWindowsNTKey, "CurrentVersion", 6);
  host::PlugInLibrary lib;
  host::PlugInEntries entries;
  std::string error;
  ASSERT_TRUE(lib.Load(testing_paths::PlugInPath(), &error) && lib.Describe(&entries, &error)) << error;
  host::EntryWatcher closer;
  EXPECT_EQ(host::PlugInLibrary::Entry(entries.execute, nullptr).value, 0u);
  const host::Watched& seen = closer.Stop();
  EXPECT_EQ(seen.dialogs, 1);
  EXPECT_EQ(seen.FirstBox().text, "Invalid data type for 'CurrentVersion'");
}

// A host whose own loop handles thread messages gets none it never asked for:
// after OK or the close box, nothing the library posted is left.
TEST_F(HostEntriesTest, ExecuteLeavesNothingInTheHostsQueue) {
  const HWND host = host::CreatePlainWindow("host");
  for (const int closeControl : {static_cast<int>(dialog::id_OKBtn), 0}) {
    host::EntryWatcher closer({closeControl, 0, {}});
    EXPECT_EQ(host::PlugInLibrary::Entry(execute_, host).value, 0u);
    EXPECT_EQ(closer.Stop().dialogs, 1);
    std::string left;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE))
      if (message.hwnd != host) left += " " + std::to_string(message.message);
    EXPECT_EQ(left, "") << (closeControl ? "OK" : "the close box") << ": messages left in the queue";
  }
  ::DestroyWindow(host);
}

// The host window goes while the dialog it owns is up (the host closed
// under the plug-in): the owned dialog goes with it, and Execute returns
// without touching what is gone.
HWND g_doomedHost = nullptr;
std::vector<HWND> g_windowsBefore;
bool g_hostDestroyed = false;

// Destroying is only possible on the window's own thread, so it happens in
// a thread timer inside the dialog's loop.
void CALLBACK DestroyHostUnderTheDialog(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_hostDestroyed && host::NewWindowOf(::GetCurrentThreadId(), g_windowsBefore))
    g_hostDestroyed = ::DestroyWindow(g_doomedHost) != FALSE;
}

TEST_F(HostEntriesTest, AnOwnerDestroyedWhileTheDialogIsUpEndsItCleanly) {
  g_doomedHost = host::CreatePlainWindow("host");
  g_windowsBefore = host::ThreadWindows(::GetCurrentThreadId());
  g_hostDestroyed = false;
  HWND host = g_doomedHost;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, DestroyHostUnderTheDialog);
  // The watcher closes the dialog only if it survives its owner.
  const Call call = Run(execute_, host, 3000);
  ::KillTimer(nullptr, timer);
  Print("Execute", "host destroyed during", call);
  EXPECT_TRUE(g_hostDestroyed) << "the dialog never showed";
  EXPECT_FALSE(::IsWindow(host));
  EXPECT_TRUE(call.result == 0u || call.result == kExecuteFailed) << call.result;
  EXPECT_LE(call.windowsLeft, 0) << "the dialog or something of it outlived the call";
  EXPECT_TRUE(call.seen.boxes.empty());
  // The library still works afterwards.
  const Call after = Run(execute_, nullptr);
  EXPECT_EQ(after.result, 0u);
  EXPECT_EQ(after.seen.dialogs, 1);
  EXPECT_EQ(after.windowsLeft, 0);
}

// Threads of the host that call in and end: an Execute that fails throws
// and catches inside the library, which gives the thread the C++ runtime's
// per-thread exception record; the thread's end must take it away.
TEST_F(HostEntriesTest, ThreadsThatCalledInAndEndedLeaveNothing) {
  auto failingExecuteOnAThread = [this] {
    uint32_t result = 0;
    DWORD error = 0;
    std::thread([&] {
      const host::CallResult call = host::PlugInLibrary::Entry(execute_, reinterpret_cast<HWND>(0x1234));
      error = ::GetLastError();
      result = call.value;
    }).join();
    EXPECT_EQ(result, kExecuteFailed);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  };
  failingExecuteOnAThread();
  const long long heap = host::HeapBusyBytes(host::CrtHeap());
  const int handles = host::KernelHandleCount();
  const int tls = host::FreeTlsIndexes();
  constexpr int kThreads = 100;
  for (int i = 0; i < kThreads; ++i) failingExecuteOnAThread();
  const long long heapAfter = host::HeapBusyBytes(host::CrtHeap());
  std::printf(
      "after %d threads that called Execute and ended: C runtime heap %lld -> %lld bytes, handles %d -> %d, "
      "free TLS indexes %d -> %d\n",
      kThreads, heap, heapAfter, handles, host::KernelHandleCount(), tls, host::FreeTlsIndexes());
  // A thread's record and its table are about 150 bytes: 15 KB if kept.
  ASSERT_GE(heap, 0) << "the C runtime heap could not be walked";
  ASSERT_GE(heapAfter, 0) << "the C runtime heap could not be walked";
  EXPECT_LT(heapAfter - heap, 4096) << "per-thread data of ended threads was kept";
  EXPECT_EQ(host::FreeTlsIndexes(), tls);
  if (handles >= 0) {
    EXPECT_LE(host::KernelHandleCount(), handles + 4);
  }
}

// Loaded and unloaded the way a host does when it rescans its plug-ins:
// nothing may be left per load, or a long-running host runs out of TLS
// indexes, handles or memory.
bool FormClassRegistered(HMODULE module) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  return ::GetClassInfoExW(module, L"Zentrix.Toolkit.Form", &existing) != FALSE;
}

// 100 loads and unloads, each calling the entries (an Execute among them
// when `execute`), leave nothing behind that the first did not.
void ExpectNothingKeptPerLoad(bool execute) {
  const std::string path = testing_paths::PlugInPath();
  auto cycle = [&] {
    host::PlugInLibrary lib;
    std::string error;
    ASSERT_TRUE(lib.Load(path, &error)) << error;
    const HMODULE module = ::GetModuleHandleA("zentrix.pdl");
    plugin::TPlugInLibInfo libInfo{};
    lib.Init(&libInfo);
    plugin::TPlugInInfo info{};
    host::PlugInLibrary::LibProc(libInfo, plugin::kRequestPlugInInfo, &info);
    for (uint32_t code : {0u, 1u, 2u, 3u, 4u, 17u, 0xFFFFFFFFu}) host::PlugInLibrary::FuncProc(info, code);
    if (execute) {
      // An exception thrown and caught inside the library, on this thread.
      const uint32_t entry = host::PlugInLibrary::FuncProc(info, plugin::kFuncExecute).value;
      EXPECT_EQ(host::PlugInLibrary::Entry(entry, reinterpret_cast<HWND>(0x1234)).value, kExecuteFailed);
    }
    lib.Unload();
    EXPECT_EQ(::GetModuleHandleA("zentrix.pdl"), nullptr) << "the library stayed loaded";
    EXPECT_FALSE(FormClassRegistered(module)) << "a window class outlived the library";
  };
  cycle();  // what Wine sets up once per process is not a leak
  const int windows = host::ThreadWindowCount();
  const int threads = host::ProcessThreadCount();
  const int handles = host::KernelHandleCount();
  const int tls = host::FreeTlsIndexes();
  const long long heap = host::HeapBusyBytes(host::CrtHeap());
  constexpr int kCycles = 100;
  for (int i = 0; i < kCycles; ++i) cycle();
  const long long heapAfter = host::HeapBusyBytes(host::CrtHeap());
  std::printf(
      "after %d load/unload cycles%s: windows %d -> %d, threads %d -> %d, handles %d -> %d, "
      "free TLS indexes %d -> %d, C runtime heap %lld -> %lld bytes\n",
      kCycles, execute ? " with a failing Execute" : "", windows, host::ThreadWindowCount(), threads,
      host::ProcessThreadCount(), handles, host::KernelHandleCount(), tls, host::FreeTlsIndexes(), heap,
      heapAfter);
  EXPECT_EQ(host::ThreadWindowCount(), windows);
  EXPECT_EQ(host::ProcessThreadCount(), threads);
  EXPECT_EQ(host::FreeTlsIndexes(), tls) << "a TLS index per load";
  // A handle per cycle would be 100; Wine's caches move a few.
  if (handles >= 0) {
    EXPECT_LE(host::KernelHandleCount(), handles + 4) << "handles leak across load and unload";
  }
  // The runtime's reserve for exceptions alone is about 18 KB per load.
  EXPECT_LT(heapAfter - heap, 16 * 1024) << "memory kept per load";
}

TEST(HostLoadTest, LoadingAndUnloadingWithTheDialogNeverOpenedLeavesNothing) {
  ExpectNothingKeptPerLoad(true);
}

// The host loads every plug-in when it starts; most sessions never open the
// dialog, whose set-up then never happens.
TEST(HostLoadTest, LoadingAndUnloadingWithoutAnyExecuteLeavesNothing) { ExpectNothingKeptPerLoad(false); }

// What only the dialog needs (the common controls, the window classes) is
// made by the first Execute, kept for the next, and goes with the unload.
TEST(HostLoadTest, TheDialogsSetUpWaitsForTheFirstExecuteAndGoesAtUnload) {
  const bool commonControlsBefore = ::GetModuleHandleW(L"comctl32.dll") != nullptr;
  host::PlugInLibrary lib;
  std::string error;
  ASSERT_TRUE(lib.Load(testing_paths::PlugInPath(), &error)) << error;
  const HMODULE module = ::GetModuleHandleA("zentrix.pdl");
  host::PlugInEntries entries;
  ASSERT_TRUE(lib.Describe(&entries, &error)) << error;
  const uint32_t execute = entries.execute;
  EXPECT_FALSE(FormClassRegistered(module)) << "registered at load";
  if (!commonControlsBefore) {
    EXPECT_EQ(::GetModuleHandleW(L"comctl32.dll"), nullptr) << "loaded at load";
  }
  for (int showing = 1; showing <= 2; ++showing) {
    SCOPED_TRACE(showing);
    host::EntryWatcher closer;
    EXPECT_EQ(host::PlugInLibrary::Entry(execute, nullptr).value, 0u);
    EXPECT_EQ(closer.Stop().dialogs, 1);
    EXPECT_TRUE(FormClassRegistered(module)) << "kept for the next Execute";
    EXPECT_NE(::GetModuleHandleW(L"comctl32.dll"), nullptr);
  }
  lib.Unload();
  EXPECT_FALSE(FormClassRegistered(module)) << "a window class outlived the library";
  if (!commonControlsBefore) {
    EXPECT_EQ(::GetModuleHandleW(L"comctl32.dll"), nullptr) << "kept after unload";
  }
}

namespace {

bool IsTopmost(HWND window) { return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Driven from the entry's loop, a check per step ('+' or '-'): what it shows
// is on top (its button is what the mouse hits there) with the keyboard; the
// host leaves the topmost band, is minimised, is hidden, and each time it
// follows out of the band (the host keeping its style); the host comes back
// each time and so does it; a real click on the button ends it (else a '-'
// and a posted click after 3 s).
struct {
  HWND host, shown, button;
  POINT at;
  std::vector<HWND> before;
  DWORD since;
  std::string checks;
  bool refusing;  // the foreground refused to this thread's windows, as Windows may
} g_drive;

// Windows refuses the foreground to a program the user is not using (its
// foreground lock); Wine grants it to every program. So the test refuses
// this thread's activation itself until the user clicks: the first check.
LRESULT CALLBACK RefuseActivation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && g_drive.refusing) return 1;
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void Band(HWND after) {
  ::SetWindowPos(g_drive.host, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
void Show(int how) { ::ShowWindowAsync(g_drive.host, how); }

// After each check, what the host does; then whether what it shows must be
// topmost, and what else must hold of the host.
struct BandStep {
  void (*hostDoes)();
  bool topmost;
  bool (*hostIs)(HWND);
};
const BandStep kBandSteps[] = {
    {[] { Band(HWND_NOTOPMOST); }, false, [](HWND host) { return !IsTopmost(host); }},
    {[] { Band(HWND_TOPMOST); }, true, IsTopmost},
    {[] { Show(SW_SHOWMINNOACTIVE); }, false, [](HWND host) { return IsTopmost(host) && ::IsIconic(host); }},
    {[] { Show(SW_SHOWNOACTIVATE); }, true, IsTopmost},
    {[] { Show(SW_HIDE); }, false, [](HWND host) { return IsTopmost(host) && !::IsWindowVisible(host); }},
    {[] { Show(SW_SHOWNA); }, true, IsTopmost},
};

void Check(bool passed) {
  g_drive.checks += passed && ::WindowFromPoint(g_drive.at) == g_drive.button ? '+' : '-';
  if (g_drive.checks.size() <= std::size(kBandSteps)) kBandSteps[g_drive.checks.size() - 1].hostDoes();
  g_drive.since = ::GetTickCount();
}

void CALLBACK DriveOverTopmostHost(HWND, UINT, UINT_PTR, DWORD) {
  auto& [host, shown, button, at, before, since, checks, refusing] = g_drive;
  const bool late = ::GetTickCount() - since > 3000;
  if (!shown) {
    const HWND box = host::FindMessageBox(::GetCurrentThreadId());
    if (!(shown = box ? box : host::NewWindowOf(::GetCurrentThreadId(), before))) return;
    RECT rect{};
    ::GetWindowRect(button = host::FindByClass(shown, L"Button"), &rect);
    at = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    const bool inFront = ::GetForegroundWindow() == shown && ::IsChild(shown, host::GuiThreadOf(0).hwndFocus);
    Check(IsTopmost(shown) && inFront != refusing);
    refusing = false;
  } else if (checks.size() <= std::size(kBandSteps)) {
    const BandStep& step = kBandSteps[checks.size() - 1];
    if (late || IsTopmost(shown) == step.topmost)
      Check(IsTopmost(shown) == step.topmost && step.hostIs(host));
    if (checks.size() > std::size(kBandSteps)) {
      ::SetCursorPos(at.x, at.y);
      ::mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
      ::mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }
  } else if (checks.size() == std::size(kBandSteps) + 1 && late) {
    checks += '-';
    ::PostMessageW(button, BM_CLICK, 0, 0);
  }
}

// Makes the top-level window of `host` a maximised always-on-top window in
// the foreground, as a file manager kept on top, and drives both entries over
// `host`; with `refused`, the foreground is refused to them.
void ExpectBothOnTopOf(HWND host, const char* where, uint32_t execute, uint32_t about, bool refused = false) {
  const HWND top = ::GetAncestor(host, GA_ROOT);
  ::SetWindowPos(top, HWND_TOPMOST, 0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                 0);
  ::SetForegroundWindow(top);
  const shared::ScopedHook refuser(
      refused ? ::SetWindowsHookExW(WH_CBT, RefuseActivation, nullptr, ::GetCurrentThreadId()) : nullptr);
  for (uint32_t entry : {execute, about}) {
    g_drive = {top, nullptr, nullptr, {}, host::ThreadWindows(::GetCurrentThreadId()), 0, "", refused};
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, DriveOverTopmostHost);
    host::PlugInLibrary::Entry(entry, host);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(g_drive.checks, "+++++++") << where << (entry == about ? ", About" : ", Execute");
    EXPECT_TRUE(IsTopmost(top)) << "the host's band is its own";
  }
}

}  // namespace

// Notepad stands for a host in another process, which passes its pane.
TEST_F(HostEntriesTest, OverATopmostHostOfAnotherThreadOrProcessBothEntriesComeOnTopAndTakeAClick) {
  HWND threadHost = nullptr;
  const shared::ScopedHandle ready(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
  std::thread thread([&] {
    host::OwnerWindow window(L"host");
    threadHost = window.Handle();
    ::SetEvent(ready.Get());
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  });
  ::WaitForSingleObject(ready.Get(), INFINITE);
  ExpectBothOnTopOf(threadHost, "a host of another thread", execute_, about_);
  ::PostThreadMessageW(::GetWindowThreadProcessId(threadHost, nullptr), WM_QUIT, 0, 0);
  thread.join();
  const intptr_t spawned = ::_spawnlp(_P_NOWAIT, "notepad.exe", "notepad", nullptr);
  ASSERT_NE(spawned, -1);
  const shared::ScopedHandle notepad(reinterpret_cast<HANDLE>(spawned));
  EXPECT_EQ(::WaitForInputIdle(notepad.Get(), 10000), 0u);
  const HWND pane = ::FindWindowExW(::FindWindowW(L"Notepad", nullptr), nullptr, L"Edit", nullptr);
  ExpectBothOnTopOf(pane, "a pane of a host of another process", execute_, about_);
  ExpectBothOnTopOf(pane, "a pane of a host of another process, the foreground refused", execute_, about_,
                    true);
  ::TerminateProcess(notepad.Get(), 0);
  ::WaitForSingleObject(notepad.Get(), INFINITE);
}
