#include <gtest/gtest.h>

#include "TestDialog.h"
#include "toolkit/Application.h"

namespace toolkit {
namespace {

TEST(ErrorBoxText, AppendsAFullStopAfterCharactersThatSortAfterIt) {
  EXPECT_EQ("Access denied.", ErrorBoxText("Access denied"));
  EXPECT_EQ("Error 5.", ErrorBoxText("Error 5"));
  EXPECT_EQ("C:\\Windows/.", ErrorBoxText("C:\\Windows/"));  // '/' is 0x2F
  // Bytes above 0x7F sort after '.' only when compared unsigned.
  EXPECT_EQ("Caf\xE9.", ErrorBoxText("Caf\xE9"));
}

TEST(ErrorBoxText, LeavesMessagesEndingAtOrBeforeAFullStop) {
  EXPECT_EQ("Done.", ErrorBoxText("Done."));
  EXPECT_EQ("Stop!", ErrorBoxText("Stop!"));
  EXPECT_EQ("(see log)", ErrorBoxText("(see log)"));
  EXPECT_EQ("a, b,", ErrorBoxText("a, b,"));
  EXPECT_EQ("trailing space ", ErrorBoxText("trailing space "));
  EXPECT_EQ("", ErrorBoxText(""));
}

TEST(BusyCursor, ShowsOverEveryControlAndTheOutermostScopeEndsWithTheDefaultCursor) {
  toolkit_test::TestDialog dialog;
  const HCURSOR wait = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
  const HCURSOR arrow = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  {
    TBusyCursor busy;
    EXPECT_EQ(wait, Application->Cursor());
    ::SetCursor(arrow);
    // A label deep inside a page asks its parents; the form answers.
    const LRESULT answered =
        ::SendMessageW(dialog.prompt.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog.prompt.Handle()),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_TRUE(answered);
    EXPECT_EQ(wait, ::GetCursor());
    { TBusyCursor nested; }
    EXPECT_EQ(wait, Application->Cursor()) << "an inner scope must restore the outer busy cursor";
  }
  EXPECT_EQ(nullptr, Application->Cursor());
  Application->SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS)));
  { TBusyCursor busy; }
  EXPECT_EQ(nullptr, Application->Cursor()) << "not the cursor set before the scope";
}

TEST(ProcessMessages, DispatchesPendingMessagesAndLeavesQuitForTheOuterLoop) {
  toolkit_test::TestDialog dialog;
  int clicks = 0;
  dialog.ok.onClick = [&] { ++clicks; };
  ::PostMessageW(dialog.ok.Handle(), BM_CLICK, 0, 0);
  ::PostQuitMessage(3);
  Application->ProcessMessages();
  EXPECT_EQ(1, clicks);
  MSG quit;
  ASSERT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(3u, quit.wParam);
}

}  // namespace
}  // namespace toolkit
