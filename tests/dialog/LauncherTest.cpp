// The Execute entry: a fresh dialog per call over the host's window, the
// application window handle restored and the dialog gone on every way out,
// also over an owner of a thread that does not answer and when several
// threads call at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "dialog/SysDlg.h"
#include "host/OwnerWindow.h"
#include "host/ProcessCounters.h"
#include "plugin/PlugInEntries.h"
#include "tests/gather/ScratchRegistry.h"
#include "tests/toolkit/TestSupport.h"
#include "toolkit/Application.h"
#include "toolkit/WindowClass.h"

using toolkit_test::Script;

namespace {

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = host::CreatePlainWindow("host");
    ASSERT_NE(host_, nullptr);
  }
  void TearDown() override {
    dialog::TSysInfoDlg::failAtControlForTesting = 0;
    ::DestroyWindow(host_);
  }
  HWND host_ = nullptr;
};

}  // namespace

TEST_F(LauncherTest, ShowsOverTheHostWindowAndRestoresEverything) {
  HWND appHandleDuring = nullptr, ownerDuring = nullptr;
  bool hostEnabledDuring = true;
  Script script({[&] {
                   appHandleDuring = toolkit::Application->Handle();
                   ownerDuring = ::GetWindow(dialog::SysInfoDlg->Handle(), GW_OWNER);
                   hostEnabledDuring = ::IsWindowEnabled(host_);
                 },
                 [&] { ::PostMessageW(dialog::SysInfoDlg->OKBtn->Handle(), BM_CLICK, 0, 0); }});
  ::SetLastError(0xDEADBEEF);
  const uint32_t result = plugin::ExecuteProc(0, host_);
  EXPECT_EQ(result, plugin::kExecuteClosed);
  EXPECT_NE(result, 3u);
  EXPECT_EQ(appHandleDuring, host_);
  EXPECT_EQ(ownerDuring, host_);
  EXPECT_FALSE(hostEnabledDuring) << "the host is disabled while the dialog is up";
  EXPECT_TRUE(::IsWindowEnabled(host_));
  EXPECT_EQ(toolkit::Application->Handle(), nullptr);
  EXPECT_EQ(dialog::SysInfoDlg, nullptr);
}

TEST_F(LauncherTest, TheCloseBoxEndsItTooAndWindowZeroIsAccepted) {
  HWND ownerDuring = host_;
  Script script({[&] {
    ownerDuring = ::GetWindow(dialog::SysInfoDlg->Handle(), GW_OWNER);
    ::PostMessageW(dialog::SysInfoDlg->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  }});
  EXPECT_EQ(plugin::ExecuteProc(0, nullptr), plugin::kExecuteClosed);
  EXPECT_EQ(ownerDuring, nullptr);
  EXPECT_EQ(dialog::SysInfoDlg, nullptr);
}

TEST_F(LauncherTest, EveryCallStartsFromTheStoredLayout) {
  std::string secondShowing;
  const dialog::TSysInfoDlg* first = nullptr;
  Script script({[&] {
                   first = dialog::SysInfoDlg;
                   dialog::SysInfoDlg->Label23->SetText("Changed by the first showing");
                   dialog::SysInfoDlg->SetModalResult(2);
                 },
                 [&] {},
                 [&] {
                   secondShowing = dialog::SysInfoDlg ? toolkit_test::ShownText(dialog::SysInfoDlg->Label23)
                                                      : "no dialog";
                   dialog::SysInfoDlg->SetModalResult(2);
                 }});
  const int windowsBefore = host::ThreadWindowCount();
  plugin::ExecuteProc(0, host_);
  EXPECT_EQ(host::ThreadWindowCount(), windowsBefore) << "the first dialog's window is gone";
  plugin::ExecuteProc(0, host_);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(secondShowing, "Product name:");
}

TEST_F(LauncherTest, AFailedCreationCleansUpAndReportsIt) {
  const int windowsBefore = host::ThreadWindowCount();
  toolkit::Application->SetHandle(nullptr);
  dialog::TSysInfoDlg::failAtControlForTesting = dialog::id_Label10;
  ::SetLastError(0);
  EXPECT_EQ(plugin::ExecuteProc(0, host_), plugin::kExecuteFailed);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_CAN_NOT_COMPLETE));
  EXPECT_EQ(toolkit::Application->Handle(), nullptr) << "application window handle restored";
  EXPECT_EQ(dialog::SysInfoDlg, nullptr);
  EXPECT_EQ(host::ThreadWindowCount(), windowsBefore) << "the half-built dialog was destroyed";
  EXPECT_TRUE(::IsWindowEnabled(host_));

  // The next call is unaffected.
  dialog::TSysInfoDlg::failAtControlForTesting = 0;
  Script script({[&] { dialog::SysInfoDlg->SetModalResult(2); }});
  EXPECT_EQ(plugin::ExecuteProc(0, host_), plugin::kExecuteClosed);
}

TEST_F(LauncherTest, ACallWhileTheDialogIsUpIsRefused) {
  uint32_t nested = 0;
  DWORD nestedError = 0;
  const dialog::TSysInfoDlg* showing = nullptr;
  Script script({[&] {
    showing = dialog::SysInfoDlg;
    nested = plugin::ExecuteProc(0, host_);
    nestedError = ::GetLastError();
    dialog::SysInfoDlg->SetModalResult(2);
  }});
  EXPECT_EQ(plugin::ExecuteProc(0, host_), plugin::kExecuteClosed);
  EXPECT_EQ(nested, plugin::kExecuteFailed);
  EXPECT_EQ(nestedError, static_cast<DWORD>(ERROR_BUSY));
  EXPECT_NE(showing, nullptr);
}

// An activation error over an owner whose thread handles no messages: the
// box shows at once with that window's caption, and the call returns. The
// owner's thread gives up after a while, so a call that waits on it fails
// instead of hanging.
TEST_F(LauncherTest, AnOwnerOnABlockedThreadHoldsUpNeitherTheErrorBoxNorTheCall) {
  gather_test::ScratchRegistry scratch;
  scratch.SetDword("Software\\Microsoft\\Windows NT\\CurrentVersion", "ProductName", 7);
  const HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND owner = nullptr;
  bool ownerGaveUp = false;
  std::thread ownerThread([&] {
    owner = host::CreatePlainWindow("Blocked host");
    ::SetEvent(ready);
    ownerGaveUp = ::WaitForSingleObject(release, 20000) == WAIT_TIMEOUT;
    ::DestroyWindow(owner);
  });
  ::WaitForSingleObject(ready, INFINITE);
  host::SeenMessageBox box;
  HWND dialogWindow = nullptr, dialogOwner = host_;
  Script script({[&] {
                   dialogWindow = dialog::SysInfoDlg->Handle();
                   dialogOwner = ::GetWindow(dialogWindow, GW_OWNER);
                   box = toolkit_test::ReadAndCloseMessageBox();
                 },
                 [&] { dialog::SysInfoDlg->SetModalResult(2); }});
  EXPECT_EQ(plugin::ExecuteProc(0, owner), plugin::kExecuteClosed);
  ::SetEvent(release);
  ownerThread.join();
  ::CloseHandle(ready);
  ::CloseHandle(release);
  EXPECT_FALSE(ownerGaveUp) << "the call waited for the owner's thread";
  EXPECT_EQ(box.caption, "Blocked host");
  EXPECT_NE(box.text.find("ProductName"), std::string::npos) << box.text;
  EXPECT_EQ(box.owner, dialogWindow);
  EXPECT_EQ(dialogOwner, nullptr) << "a window of another thread owns no window of this one";
}

namespace {

std::atomic<bool> g_twoDialogsSeen{false};

// Runs in the dialog loop of a call that won: looks for a second dialog in
// the process (other programs on the display may show theirs), then closes
// its own.
void CALLBACK LookForASecondDialogAndClose(HWND, UINT, UINT_PTR, DWORD) {
  int dialogs = 0;
  for (HWND form = nullptr; (form = ::FindWindowExW(nullptr, form, toolkit::kFormClass, nullptr));) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(form, &process);
    dialogs += process == ::GetCurrentProcessId();
  }
  if (dialogs > 1) g_twoDialogsSeen = true;
  if (dialog::SysInfoDlg && ::IsWindowVisible(dialog::SysInfoDlg->Handle()))
    dialog::SysInfoDlg->SetModalResult(2);
}

}  // namespace

TEST_F(LauncherTest, CallsFromManyThreadsAtOnceShowOneDialogAndRefuseTheRest) {
  struct Call {
    uint32_t result;
    DWORD error;
    int windowsLeft;
  };
  constexpr int kThreads = 4, kRounds = 20;
  int refusals = 0;
  const int handles = host::KernelHandleCount();
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE(round);
    const HANDLE go = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<Call> calls(kThreads);
    std::vector<std::thread> threads;
    for (Call& call : calls) {
      threads.emplace_back([&call, go] {
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, LookForASecondDialogAndClose);
        ::WaitForSingleObject(go, INFINITE);
        call.result = plugin::ExecuteProc(0, nullptr);
        call.error = ::GetLastError();
        ::KillTimer(nullptr, timer);
        call.windowsLeft = host::ThreadWindowCount();
      });
    }
    ::SetEvent(go);
    for (std::thread& thread : threads) thread.join();
    ::CloseHandle(go);
    const auto refused = [](const Call& call) { return call.result != plugin::kExecuteClosed; };
    EXPECT_LT(std::count_if(calls.begin(), calls.end(), refused), kThreads) << "no call won";
    for (const Call& call : calls) {
      if (refused(call)) {
        ++refusals;
        EXPECT_EQ(call.result, plugin::kExecuteFailed);
        EXPECT_EQ(call.error, static_cast<DWORD>(ERROR_BUSY));
      }
      EXPECT_EQ(call.windowsLeft, 0) << "a window outlived its call";
    }
  }
  std::printf("%d of %d calls refused; kernel handles %d -> %d\n", refusals, kThreads * kRounds, handles,
              host::KernelHandleCount());
  if (handles >= 0) {
    EXPECT_LE(host::KernelHandleCount(), handles + 4) << "kernel handles kept";
  }
  EXPECT_FALSE(g_twoDialogsSeen);
  EXPECT_GT(refusals, 0) << "the calls never overlapped";
  EXPECT_EQ(dialog::SysInfoDlg, nullptr);
  EXPECT_EQ(toolkit::Application->Handle(), nullptr);
}
