// The copy keys: the reachable pages as text, through the dialog's own key
// handling, and a clipboard that another thread holds.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "FakeQueries.h"
#include "ScratchRegistry.h"
#include "TestSupport.h"
#include "dialog/SysDlg.h"

using gather_test::ScratchRegistry;

namespace {

std::wstring ClipboardText() {
  std::wstring text;
  if (!::OpenClipboard(nullptr)) return L"<clipboard busy>";
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
      text = chars;
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

void SetClipboard(const std::wstring& text) {
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(::GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  ::GlobalUnlock(memory);
  ::SetClipboardData(CF_UNICODETEXT, memory);
  ::CloseClipboard();
}

class CopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.valid());
    const std::string nt = "Software\\Microsoft\\Windows NT\\CurrentVersion";
    scratch_.SetText(nt, "ProductName", "Windows 10 Pro");
    scratch_.SetText(nt, "CurrentBuild", "22631");
    scratch_.SetText(nt, "CurrentVersion", "6.3");
    scratch_.SetText(nt, "RegisteredOwner", "Owner");
    const std::string cpu = "Hardware\\Description\\System\\CentralProcessor\\0";
    scratch_.SetText(cpu, "Identifier", "x86 Family 6");
    scratch_.SetText(cpu, "VendorIdentifier", "GenuineIntel");
    scratch_.Set("Hardware\\Description\\System", "SystemBiosVersion", REG_MULTI_SZ, "BIOS 1.0\0\0", 10);
    scratch_.SetText("Hardware\\Description\\System", "SystemBiosDate", "08/13/04");
    gather_test::fake.version = {10, 0, 22631, 2};
    dlg_ = std::make_unique<dialog::TSysInfoDlg>();
  }

  ScratchRegistry scratch_;
  gather_test::FakeQueries queries_;
  std::unique_ptr<dialog::TSysInfoDlg> dlg_;
};

}  // namespace

TEST_F(CopyTest, TheReachablePagesInTabOrderWithPromptsAndValues) {
  dlg_->FormActivate();
  EXPECT_EQ(dlg_->CopyText(),
            L"Windows\r\n"
            L"Product name:\tWindows 11 Pro\r\n"
            L"Product ID:\tNo information\r\n"
            L"Windows type:\tWindows NT\r\n"
            L"Windows version:\t10.0\r\n"
            L"Windows Build:\t22631\r\n"
            L"CSDVersion:\tNo information\r\n"
            L"CurrentBuild:\t22631\r\n"
            L"Current Build Number:\tNo information\r\n"
            L"Current version:\t6.3\r\n"
            L"User:\tNo information\r\n"
            L"\tOwner\r\n"
            L"Plus! Version number:\tNo information\r\n"
            L"Product key:\tNo information\r\n"
            L"\r\n"
            L"System\r\n"
            L"Processor arhitecture:\tIntel Processor Architecture\r\n"
            L"Processor:\tPentium\r\n"
            L"\tx86 Family 6\r\n"
            L"\tNo information\r\n"
            L"Processor manufacturer:\tGenuineIntel\r\n"
            L"BIOS Version:\tBIOS 1.0\r\n"
            L"Date:\t08/13/04\r\n"
            L"VisdeoBIOS Version:\tNo information\r\n"
            L"\r\n"
            L"Memory\r\n"
            L"Available memory:\t204800 KB\r\n"
            L"Free memory:\t51200 KB\r\n"
            L"\t25 %\r\n"
            L"Available virt. memory:\t409600 KB\r\n"
            L"Swap file size:\t307200 KB\r\n"
            L"Used virt. memory:\t75 %\r\n");
  // Before the pass the hidden rows (processor type, video BIOS) are left out
  // with their prompts; a line break inside a value keeps it one line.
  dialog::TSysInfoDlg fresh;
  fresh.lblProcID->SetText("two\r\nlines");
  const std::wstring text = fresh.CopyText();
  EXPECT_EQ(text.find(L"Processor:"), std::wstring::npos);
  EXPECT_EQ(text.find(L"VisdeoBIOS"), std::wstring::npos);
  EXPECT_NE(text.find(L"\ttwo  lines\r\n"), std::wstring::npos);
}

TEST_F(CopyTest, CtrlCAndCtrlInsertPutItOnTheClipboardAndNothingOfTheHiddenPages) {
  SetClipboard(L"before");
  std::wstring afterCtrlC;
  std::wstring afterCtrlInsert;
  const HWND target = dlg_->SysPageControl->Handle();
  toolkit_test::Script script({
      [&] { toolkit_test::SetModifiers(true, false), toolkit_test::PostKey(target, 'C'); },
      [&] { afterCtrlC = ClipboardText(), SetClipboard(L"between"); },
      [&] { toolkit_test::PostKey(dlg_->OKBtn->Handle(), VK_INSERT); },
      [&] { afterCtrlInsert = ClipboardText(), toolkit_test::SetModifiers(false, false); },
      [&] { ::PostMessageW(dlg_->OKBtn->Handle(), BM_CLICK, 0, 0); },
  });
  EXPECT_EQ(dlg_->ShowModal(), 2);
  const std::wstring expected = dlg_->CopyText();
  EXPECT_EQ(afterCtrlC, expected);
  EXPECT_EQ(afterCtrlInsert, expected);
  EXPECT_EQ(expected.find(L"BUILDHOST"), std::wstring::npos) << "the network page's computer name";
  EXPECT_EQ(expected.find(L"tester"), std::wstring::npos) << "the network page's user name";
  EXPECT_EQ(expected.find(L"Net Conputer Name"), std::wstring::npos) << "the network page's prompts";
  EXPECT_EQ(expected.find(L"\x0421\x0435\x0442\x044C"), std::wstring::npos) << "the network page's caption";
}

TEST_F(CopyTest, AClipboardHeldElsewhereStaysAsItWasWithoutAnErrorBox) {
  SetClipboard(L"kept");
  HANDLE opened = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([&] {
    const bool open = ::OpenClipboard(nullptr);
    ::SetEvent(opened);
    ::WaitForSingleObject(release, 10000);
    if (open) ::CloseClipboard();
  });
  ::WaitForSingleObject(opened, 10000);
  toolkit_test::MessageBoxSeen box;
  toolkit_test::Script script({
      [&] { toolkit_test::SetModifiers(true, false), toolkit_test::PostKey(dlg_->OKBtn->Handle(), 'C'); },
      [&] { toolkit_test::SetModifiers(false, false); },
      [&] { box = toolkit_test::ReadAndCloseMessageBox(); },
      [&] { ::PostMessageW(dlg_->OKBtn->Handle(), BM_CLICK, 0, 0); },
  });
  EXPECT_EQ(dlg_->ShowModal(), 2);
  ::SetEvent(release);
  holder.join();
  ::CloseHandle(opened);
  ::CloseHandle(release);
  EXPECT_EQ(box.box, nullptr) << "no error box";
  EXPECT_EQ(ClipboardText(), L"kept");
}
