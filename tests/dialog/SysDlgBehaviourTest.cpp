// The dialog's events, keyboard and captions, driven from inside its own
// modal loop as a user would drive it.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "dialog/SysDlg.h"
#include "host/WindowRead.h"
#include "shared/LangTable.h"
#include "tests/toolkit/TestSupport.h"

using toolkit_test::PostKey;
using toolkit_test::Script;
using toolkit_test::SetModifiers;

namespace {

class SysDlgBehaviourTest : public ::testing::Test {
 protected:
  void SetUp() override { dlg_ = std::make_unique<dialog::TSysInfoDlg>(); }
  void TearDown() override { SetModifiers(false, false); }

  int TabShown() const {
    return static_cast<int>(::SendMessageW(dlg_->SysPageControl->Handle(), TCM_GETCURSEL, 0, 0));
  }
  std::unique_ptr<dialog::TSysInfoDlg> dlg_;
};

}  // namespace

TEST_F(SysDlgBehaviourTest, EventsRunInTheirOrder) {
  std::vector<std::string> events;
  // Creation already ran: the captions came from the language table.
  EXPECT_EQ(toolkit_test::ShownText(dlg_), "System information");
  EXPECT_FALSE(::IsWindowVisible(dlg_->Handle()));
  auto activate = dlg_->onActivate;
  dlg_->onActivate = [&] {
    RECT r;
    ::GetWindowRect(dlg_->Handle(), &r);
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
    events.push_back(::IsWindowVisible(dlg_->Handle()) && r.left == left && r.top == top
                         ? "activate shown centred"
                         : "activate too early");
    activate();
  };
  Script script(
      {[&] { events.push_back("loop"); }, [&] { ::PostMessageW(dlg_->OKBtn->Handle(), BM_CLICK, 0, 0); }});
  const int result = dlg_->ShowModal();
  events.push_back(::IsWindowVisible(dlg_->Handle()) ? "still shown" : "hidden");
  EXPECT_EQ(result, 2);
  EXPECT_EQ(events, (std::vector<std::string>{"activate shown centred", "loop", "hidden"}));
}

TEST_F(SysDlgBehaviourTest, OkAndTheCloseBoxBothGiveTwo) {
  Script byOk({[&] { ::PostMessageW(dlg_->OKBtn->Handle(), BM_CLICK, 0, 0); }});
  EXPECT_EQ(dlg_->ShowModal(), 2);
  Script byCloseBox({[&] { ::PostMessageW(dlg_->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }});
  EXPECT_EQ(dlg_->ShowModal(), 2);
}

TEST_F(SysDlgBehaviourTest, EscapeDoesNothingAndEnterNeedsTheFocusOnOk) {
  HWND firstFocus = nullptr, afterTab = nullptr;
  bool openAfterEscape = false, openAfterEnterOnStrip = false;
  Script script(
      {[&] { firstFocus = ::GetFocus(); }, [&] { PostKey(::GetFocus(), VK_ESCAPE); },
       [&] { openAfterEscape = dlg_->ModalResult() == 0; }, [&] { PostKey(::GetFocus(), VK_RETURN); },
       [&] { openAfterEnterOnStrip = dlg_->ModalResult() == 0; }, [&] { PostKey(::GetFocus(), VK_TAB); },
       [&] { afterTab = ::GetFocus(), PostKey(::GetFocus(), VK_RETURN); },
       [&] { dlg_->SetModalResult(99); }});  // ends the test if Enter did nothing
  EXPECT_EQ(dlg_->ShowModal(), 2) << "Enter on OK closes with 2";
  EXPECT_EQ(firstFocus, dlg_->SysPageControl->Handle()) << "focus starts on the tab strip";
  EXPECT_TRUE(openAfterEscape);
  EXPECT_TRUE(openAfterEnterOnStrip);
  EXPECT_EQ(afterTab, dlg_->OKBtn->Handle());
}

TEST_F(SysDlgBehaviourTest, CtrlTabWrapsOverTheThreeTabsOnly) {
  std::vector<int> shown;
  std::vector<const toolkit::TTabSheet*> pages;
  auto note = [&] { shown.push_back(TabShown()), pages.push_back(dlg_->SysPageControl->ActivePage()); };
  auto ctrlTab = [&](bool back) {
    SetModifiers(true, back);
    PostKey(dlg_->SysPageControl->Handle(), VK_TAB);
  };
  Script script({[&] { ctrlTab(false); }, note, [&] { ctrlTab(false); }, note, [&] { ctrlTab(false); }, note,
                 [&] { ctrlTab(true); }, note, [&] { SetModifiers(false, false), dlg_->SetModalResult(2); }});
  dlg_->ShowModal();
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 0, 2})) << "System, Memory, wrap to Windows, back to Memory";
  EXPECT_EQ(pages, (std::vector<const toolkit::TTabSheet*>{dlg_->SysTabSheet, dlg_->MemTabSheet,
                                                           dlg_->WinTabSheet, dlg_->MemTabSheet}));
}

TEST_F(SysDlgBehaviourTest, PageChangeBuildsTheListOnlyForTheLibraryPage) {
  // The page control raises no change event when code selects a page.
  dlg_->SysPageControl->SetActivePage(*dlg_->LibVerSheet);
  EXPECT_EQ(dlg_->SysPageControl->ActivePage(), dlg_->LibVerSheet);
  EXPECT_FALSE(dlg_->VerListBuilt());
  dlg_->SysPageControl->SetActivePage(*dlg_->WinTabSheet);
  dlg_->SysPageControlChange();
  EXPECT_EQ(dlg_->lvVerList->RowCount(), 0);
}

TEST_F(SysDlgBehaviourTest, CaptionsComeFromTheLanguageTableAndTheNetTabKeepsItsText) {
  EXPECT_EQ(toolkit_test::ShownText(dlg_->WinTabSheet), "Windows");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lbWinTitle), "Windows Information");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->SysTabSheet), "System");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lbSysTitle), "Computer Information");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->MemTabSheet), "Memory");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lbMemTitle), "Memory Information");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->LibVerSheet), "System Libraries");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lbSysLibTitle), "System libraries version information.");
  EXPECT_EQ(host::TextOf(dlg_->NetTabSheet->Handle()), L"\x0421\x0435\x0442\x044C");
}

TEST_F(SysDlgBehaviourTest, ANewTextReachesTheNextDialogOnly) {
  shared::sMemTitle.Assign("Speicher");
  auto next = std::make_unique<dialog::TSysInfoDlg>();
  shared::sMemTitle.Assign("Memory Information");
  EXPECT_EQ(toolkit_test::ShownText(next->lbMemTitle), "Speicher");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lbMemTitle), "Memory Information")
      << "an open dialog keeps what it copied";
}

TEST_F(SysDlgBehaviourTest, ALongValueWidensItsLabelToTheRight) {
  const RECT before = host::RectInParent(dlg_->lblProductName->Handle());
  dlg_->lblProductName->SetText(std::string(60, 'W').c_str());
  const RECT after = host::RectInParent(dlg_->lblProductName->Handle());
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_GT(after.right - after.left, 321 - 137) << "wider than the page has room for";
  dlg_->lblVideoBIOSVer->SetText(std::string(200, 'x').append(" y").c_str());
  const RECT box = host::RectInParent(dlg_->lblVideoBIOSVer->Handle());
  EXPECT_EQ(box.right - box.left, 184) << "the wrapping label keeps its box";
  EXPECT_EQ(box.bottom - box.top, 36);
}
