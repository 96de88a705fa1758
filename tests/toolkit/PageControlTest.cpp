#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <set>

#include "TestDialog.h"
#include "TestSupport.h"
#include "host/WindowRead.h"
#include "toolkit/Application.h"

namespace toolkit_test {
namespace {

int ActiveIndex(const TPageControl& pages) { return pages.IndexOf(*pages.ActivePage()); }

class PageControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::ShowWindow(dialog.form.Handle(), SW_SHOW);
    dialog.pages.onChange = [this] {
      // The page must already be the active one when the event runs.
      changes.push_back(ActiveIndex(dialog.pages));
    };
  }
  void TearDown() override { SetModifiers(false, false); }

  // Keys and clicks go through the application's routing, as in the modal loop.
  void Pump() {
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  }
  void CtrlTab(bool backwards) {
    ::SetFocus(dialog.pages.Handle());
    SetModifiers(true, backwards);
    PostKey(dialog.pages.Handle(), VK_TAB);
    Pump();
    SetModifiers(false, false);
  }

  TestDialog dialog;
  std::vector<int> changes;
};

TEST_F(PageControlTest, HiddenPagesHaveNoTabButKeepTheirControls) {
  const HWND strip = dialog.pages.Handle();
  ASSERT_EQ(3, ::SendMessageW(strip, TCM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(L"Windows", host::TabCaption(strip, 0));
  EXPECT_EQ(L"Memory", host::TabCaption(strip, 2));
  EXPECT_EQ(0, ActiveIndex(dialog.pages));
  EXPECT_EQ(0, ::SendMessageW(strip, TCM_GETCURSEL, 0, 0));

  dialog.netValue.SetText("WORKSTATION");
  EXPECT_EQ("WORKSTATION", toolkit_test::ShownText(dialog.netValue));
  EXPECT_EQ(dialog.netValue.Handle(), ::GetDlgItem(dialog.netSheet.Handle(), 8));
  EXPECT_FALSE(::IsWindowVisible(dialog.netSheet.Handle()));
}

TEST_F(PageControlTest, ActivePageSetFromCodeRaisesNoChange) {
  dialog.pages.SetActivePage(dialog.memSheet);
  EXPECT_EQ(2, ::SendMessageW(dialog.pages.Handle(), TCM_GETCURSEL, 0, 0));
  EXPECT_TRUE(::IsWindowVisible(dialog.memSheet.Handle()));
  EXPECT_FALSE(::IsWindowVisible(dialog.winSheet.Handle()));

  dialog.pages.SetActivePage(dialog.libSheet);
  EXPECT_EQ(-1, ::SendMessageW(dialog.pages.Handle(), TCM_GETCURSEL, 0, 0))
      << "a page without tab selects no tab";
  EXPECT_TRUE(::IsWindowVisible(dialog.libSheet.Handle()));
  Pump();
  EXPECT_TRUE(changes.empty());
}

TEST_F(PageControlTest, CtrlTabWrapsOverHiddenTabsAndRaisesOneChangeEach) {
  dialog.pages.SetActivePage(dialog.memSheet);
  CtrlTab(false);
  EXPECT_EQ(std::vector<int>{0}, changes) << "Ctrl+Tab on the last tab goes to the first";
  CtrlTab(true);
  EXPECT_EQ((std::vector<int>{0, 2}), changes) << "Ctrl+Shift+Tab on the first tab goes to the last";

  std::set<int> reached;
  for (int i = 0; i < 7; ++i) {
    CtrlTab(i % 2 == 0 && i > 3);
    reached.insert(ActiveIndex(dialog.pages));
  }
  EXPECT_EQ((std::set<int>{0, 1, 2}), reached);
  EXPECT_EQ(9u, changes.size());
}

TEST_F(PageControlTest, CtrlTabWithFocusOutsideTheStripDoesNothing) {
  ::SetFocus(dialog.ok.Handle());
  SetModifiers(true, false);
  PostKey(dialog.ok.Handle(), VK_TAB);
  Pump();
  EXPECT_TRUE(changes.empty());
  EXPECT_EQ(0, ActiveIndex(dialog.pages));
}

TEST_F(PageControlTest, ClickOnATabSelectsThePageBehindItsTabIndex) {
  // Hide a tab in the middle so that tab and page indexes differ.
  dialog.pages.SetTabVisible(dialog.sysSheet, false);
  ASSERT_EQ(2, ::SendMessageW(dialog.pages.Handle(), TCM_GETITEMCOUNT, 0, 0));
  RECT tab;
  ::SendMessageW(dialog.pages.Handle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
  PostClick(dialog.pages.Handle(), {(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2});
  Pump();
  EXPECT_EQ(std::vector<int>{2}, changes);
  EXPECT_TRUE(::IsWindowVisible(dialog.memSheet.Handle()));
  EXPECT_EQ(L"Memory", host::TabCaption(dialog.pages.Handle(), 1));
}

TEST_F(PageControlTest, ArrowKeysOnTheStripReachOnlyTabbedPages) {
  ::SetFocus(dialog.pages.Handle());
  for (int i = 0; i < 4; ++i) {
    PostKey(dialog.pages.Handle(), VK_RIGHT);
    Pump();
  }
  EXPECT_EQ((std::vector<int>{1, 2}), changes) << "the strip stops at its last tab";
}

TEST(PageControl, PagesFollowTheDisplayAreaAsTabsComeAndGo) {
  TestDialog dialog;
  TPageControl& pages = dialog.form.Add<TPageControl>(
      {.parent = dialog.form.Handle(), .id = 30, .x = 8, .y = 8, .w = 200, .h = 150});
  // The first page has no tab: the strip's display area moves down once the
  // second page brings the first tab.
  TTabSheet& untabbed = pages.AddPage({.id = 31, .caption = "Untabbed", .tabVisible = false});
  TTabSheet& tabbed = pages.AddPage({.id = 32, .caption = "Tabbed"});
  const auto expectAtDisplayArea = [&](const char* when) {
    RECT display;
    ::GetClientRect(pages.Handle(), &display);
    ::SendMessageW(pages.Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    for (const TTabSheet* page : {&untabbed, &tabbed}) {
      RECT box;
      ::GetWindowRect(page->Handle(), &box);
      ::MapWindowPoints(nullptr, pages.Handle(), reinterpret_cast<POINT*>(&box), 2);
      EXPECT_TRUE(::EqualRect(&display, &box)) << when << ", page " << page->Id();
    }
    return display;
  };
  const RECT withTab = expectAtDisplayArea("built");
  pages.SetTabVisible(tabbed, false);
  const RECT withoutTab = expectAtDisplayArea("no tab left");
  EXPECT_FALSE(::EqualRect(&withTab, &withoutTab)) << "the tab row takes room from the pages";
  pages.SetTabVisible(untabbed, true);
  tabbed.SetText("Renamed");
  expectAtDisplayArea("tab back, caption changed");
  EXPECT_TRUE(untabbed.Visible()) << "the first page added is the active one";
  EXPECT_FALSE(tabbed.Visible());
}

TEST_F(PageControlTest, UnicodeCaptionReachesTheTab) {
  dialog.pages.SetTabVisible(dialog.netSheet, true);
  dialog.netSheet.SetText("\xD0\xA1\xD0\xB5\xD1\x82\xD1\x8C", TextEncoding::Utf8);  // "Сеть"
  EXPECT_EQ(L"\x0421\x0435\x0442\x044C", host::TabCaption(dialog.pages.Handle(), 3));
  dialog.memSheet.SetText("Memory 2");
  EXPECT_EQ(L"Memory 2", host::TabCaption(dialog.pages.Handle(), 2));
}

TEST_F(PageControlTest, ChangeHandlerErrorIsReportedAndSelectionStands) {
  dialog.pages.onChange = [] { throw std::runtime_error("Scan failed!"); };
  host::SeenMessageBox seen;
  Script script({[&] { seen = ReadAndCloseMessageBox(); }});
  CtrlTab(false);  // the error box runs its own loop; the script closes it
  EXPECT_EQ("Scan failed!", seen.text);
  EXPECT_EQ(1, ActiveIndex(dialog.pages));
}

}  // namespace
}  // namespace toolkit_test
