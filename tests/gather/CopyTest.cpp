// What the copy keys put on the clipboard: the reachable pages as text. The
// keys themselves, and a clipboard held by another program, are pressed and
// read end to end (e2e_copy).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FakeQueries.h"
#include "ScratchRegistry.h"
#include "dialog/SysDlg.h"

using gather_test::ScratchRegistry;

namespace {

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
