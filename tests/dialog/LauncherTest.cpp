// The Execute entry: a fresh dialog per call over the host's window, the
// application window handle restored and the dialog gone on every way out.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "dialog/SysDlg.h"
#include "host/ProcessCounters.h"
#include "plugin/PlugInEntries.h"
#include "toolkit/Application.h"

using toolkit_test::Script;

namespace {

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = toolkit_test::CreateTopWindow("host");
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
                   secondShowing = dialog::SysInfoDlg ? dialog::SysInfoDlg->Label23->Text() : "no dialog";
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
