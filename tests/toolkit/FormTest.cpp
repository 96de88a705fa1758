#include <gtest/gtest.h>

#include "TestDialog.h"
#include "TestSupport.h"
#include "host/OwnerWindow.h"
#include "toolkit/Application.h"

namespace toolkit_test {
namespace {

TEST(Form, FrameHasCloseBoxOnlyAndIsOwnedByTheApplicationWindow) {
  HWND host = host::CreatePlainWindow("host");
  Application->SetHandle(host);
  {
    TestDialog dialog;
    const HWND form = dialog.form.Handle();
    const LONG style = ::GetWindowLongW(form, GWL_STYLE);
    const LONG exStyle = ::GetWindowLongW(form, GWL_EXSTYLE);
    EXPECT_EQ(WS_CAPTION | WS_SYSMENU, style & (WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(0, style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD));
    EXPECT_EQ(WS_EX_DLGMODALFRAME, exStyle & (WS_EX_DLGMODALFRAME | WS_EX_CONTEXTHELP));
    EXPECT_EQ(host, ::GetWindow(form, GW_OWNER));
    EXPECT_EQ(0, ::SendMessageW(form, WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(0, ::SendMessageW(form, WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(0u, ::GetClassLongPtrW(form, GCLP_HICON));

    RECT client;
    ::GetClientRect(form, &client);
    EXPECT_EQ(dialog.Scale().x.Apply(360), client.right);
    EXPECT_EQ(dialog.Scale().y.Apply(392), client.bottom);
  }
  Application->SetHandle(nullptr);
  ::DestroyWindow(host);
}

TEST(Form, EveryControlUsesTheFormFontAndCanBeFoundById) {
  TestDialog dialog;
  const auto formFont = ::SendMessageW(dialog.form.Handle(), WM_GETFONT, 0, 0);
  ASSERT_NE(0, formFont);
  for (int id = 1; id <= 11; ++id) {
    TControl* control = dialog.form.FindControl(id);
    if (!control) control = &dialog.pages.Page(id - 2);  // pages belong to the page control
    ASSERT_NE(nullptr, control) << "id " << id;
    EXPECT_EQ(id, ::GetDlgCtrlID(control->Handle()));
    EXPECT_EQ(formFont, ::SendMessageW(control->Handle(), WM_GETFONT, 0, 0)) << "id " << id;
  }
}

TEST(Form, ShowModalCentresByOuterSizeAndActivatesOnceBeforeInput) {
  TestDialog dialog;
  int activations = 0;
  bool visibleAtActivation = false;
  bool inputSeenAtActivation = true;
  RECT outer{};
  bool inputHandled = false;
  HWND inputSink = host::CreatePlainWindow("input sink", false);
  // A message posted before the showing must still be queued at activation.
  ::PostMessageW(inputSink, WM_NULL, 0, 0);
  dialog.form.onActivate = [&] {
    ++activations;
    visibleAtActivation = ::IsWindowVisible(dialog.form.Handle()) != FALSE;
    MSG pending;
    inputSeenAtActivation = !::PeekMessageW(&pending, inputSink, WM_NULL, WM_NULL, PM_NOREMOVE);
    ::GetWindowRect(dialog.form.Handle(), &outer);
  };
  Script script({[&] { inputHandled = true; },
                 // Another application taking the activation and giving it back.
                 [&] { ::SendMessageW(dialog.form.Handle(), WM_ACTIVATE, WA_INACTIVE, 0); },
                 [&] { ::SendMessageW(dialog.form.Handle(), WM_ACTIVATE, WA_ACTIVE, 0); },
                 [&] { ::PostMessageW(dialog.form.Handle(), WM_CLOSE, 0, 0); }});

  EXPECT_EQ(kModalResultCancel, dialog.form.ShowModal());
  EXPECT_EQ(1, activations);
  EXPECT_TRUE(visibleAtActivation);
  EXPECT_FALSE(inputSeenAtActivation);
  EXPECT_TRUE(inputHandled);
  EXPECT_FALSE(::IsWindowVisible(dialog.form.Handle()));
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  EXPECT_EQ((::GetSystemMetrics(SM_CXSCREEN) - width) / 2, outer.left);
  EXPECT_EQ((::GetSystemMetrics(SM_CYSCREEN) - height) / 2, outer.top);

  // A second showing is a new activation.
  Script again({[&] { dialog.ok.Click(); }});
  EXPECT_EQ(kModalResultCancel, dialog.form.ShowModal());
  EXPECT_EQ(2, activations);
  ::DestroyWindow(inputSink);
}

TEST(Form, ModalLoopDisablesOnlyEnabledVisibleThreadWindowsAndRestoresThem) {
  HWND enabled = host::CreatePlainWindow("enabled");
  HWND alreadyDisabled = host::CreatePlainWindow("disabled");
  ::EnableWindow(alreadyDisabled, FALSE);
  HWND hidden = host::CreatePlainWindow("hidden", false);
  bool enabledDuring = true, hiddenDuring = false, formEnabledDuring = false;
  {
    TestDialog dialog;
    Script script({[&] {
                     enabledDuring = ::IsWindowEnabled(enabled) != FALSE;
                     hiddenDuring = ::IsWindowEnabled(hidden) != FALSE;
                     formEnabledDuring = ::IsWindowEnabled(dialog.form.Handle()) != FALSE;
                   },
                   [&] { ::PostMessageW(dialog.form.Handle(), WM_CLOSE, 0, 0); }});
    EXPECT_EQ(kModalResultCancel, dialog.form.ShowModal());
  }
  EXPECT_FALSE(enabledDuring);
  EXPECT_TRUE(hiddenDuring);
  EXPECT_TRUE(formEnabledDuring);
  EXPECT_TRUE(::IsWindowEnabled(enabled));
  EXPECT_FALSE(::IsWindowEnabled(alreadyDisabled));
  EXPECT_TRUE(::IsWindowEnabled(hidden));
  for (HWND window : {enabled, alreadyDisabled, hidden}) ::DestroyWindow(window);
}

TEST(Form, PreviouslyActiveWindowIsActiveAgainAfterClose) {
  HWND host = host::CreatePlainWindow("host");
  ::SetForegroundWindow(host);
  ::SetActiveWindow(host);
  if (::GetActiveWindow() != host) GTEST_SKIP() << "this display cannot activate a window";
  Application->SetHandle(host);
  {
    TestDialog dialog;
    HWND activeDuring = nullptr;
    Script script({[&] { activeDuring = ::GetActiveWindow(); }, [&] { dialog.ok.Click(); }});
    dialog.form.ShowModal();
    EXPECT_EQ(dialog.form.Handle(), activeDuring);
    EXPECT_EQ(host, ::GetActiveWindow());
  }
  Application->SetHandle(nullptr);
  ::DestroyWindow(host);
}

TEST(Form, KeyboardTabCyclesStopsEnterPressesOnlyAFocusedButtonEscapeDoesNothing) {
  TestDialog dialog;
  int clicks = 0;
  dialog.ok.onClick = [&] { ++clicks; };
  HWND initialFocus = nullptr, afterTab = nullptr, afterSecondTab = nullptr, afterShiftTab = nullptr;
  const HWND strip = dialog.pages.Handle();
  const HWND ok = dialog.ok.Handle();
  int clicksAfterEnterOnStrip = -1, clicksAfterEscape = -1;
  Script script({[&] { initialFocus = ::GetFocus(); },
                 [&] { PostKey(::GetFocus(), VK_RETURN); },  // on the strip: nothing
                 [&] { clicksAfterEnterOnStrip = clicks; }, [&] { PostKey(::GetFocus(), VK_ESCAPE); },
                 [&] { clicksAfterEscape = clicks; }, [&] { PostKey(::GetFocus(), VK_TAB); },
                 [&] { afterTab = ::GetFocus(); }, [&] { PostKey(::GetFocus(), VK_TAB); },
                 [&] { afterSecondTab = ::GetFocus(); },
                 [&] { SetModifiers(false, true), PostKey(::GetFocus(), VK_TAB); },
                 [&] { afterShiftTab = ::GetFocus(), SetModifiers(false, false); },
                 [&] { PostKey(::GetFocus(), VK_RETURN); },  // on OK: a click
                 [&] { dialog.form.SetModalResult(7); }});
  EXPECT_EQ(7, dialog.form.ShowModal()) << "Escape or Enter closed the form";
  EXPECT_EQ(strip, initialFocus);
  EXPECT_EQ(0, clicksAfterEnterOnStrip);
  EXPECT_EQ(0, clicksAfterEscape);
  EXPECT_EQ(ok, afterTab);
  EXPECT_EQ(strip, afterSecondTab);
  EXPECT_EQ(ok, afterShiftTab);
  EXPECT_EQ(1, clicks);
  EXPECT_EQ(0, ::GetWindowLongW(ok, GWL_STYLE) & BS_DEFPUSHBUTTON);
}

TEST(Form, ListOnActivePageJoinsTheTabOrderAfterTheStrip) {
  TestDialog dialog;
  dialog.pages.SetActivePage(dialog.libSheet);
  const std::vector<HWND> expected{dialog.pages.Handle(), dialog.list.Handle(), dialog.ok.Handle()};
  EXPECT_EQ(expected, TabStops(dialog.form.Handle()));
  dialog.pages.SetActivePage(dialog.winSheet);
  const std::vector<HWND> withoutList{dialog.pages.Handle(), dialog.ok.Handle()};
  EXPECT_EQ(withoutList, TabStops(dialog.form.Handle()));
}

TEST(Form, ButtonClickAndCloseBoxBothGiveModalResultTwo) {
  TestDialog dialog;
  Script byButton({[&] { ::PostMessageW(dialog.ok.Handle(), BM_CLICK, 0, 0); }});
  EXPECT_EQ(kModalResultCancel, dialog.form.ShowModal());
  Script byCloseBox({[&] { ::PostMessageW(dialog.form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }});
  EXPECT_EQ(kModalResultCancel, dialog.form.ShowModal());
  EXPECT_TRUE(::IsWindow(dialog.form.Handle())) << "closing must hide the form, not destroy it";
}

TEST(Form, ErrorInActivationIsShownAndTheFormStaysUsable) {
  TestDialog dialog;
  bool restRan = false;
  dialog.form.onActivate = [&] {
    dialog.prompt.SetText("written before the error");
    throw std::runtime_error("Registry key not found");
    restRan = true;
  };
  host::SeenMessageBox seen;
  bool openAfterBox = false;
  Script script({[&] { seen = ReadAndCloseMessageBox(); },
                 [&] {
                   openAfterBox =
                       ::IsWindowVisible(dialog.form.Handle()) && ::IsWindowEnabled(dialog.form.Handle());
                 },
                 [&] { dialog.ok.Click(); }});
  EXPECT_EQ(kModalResultCancel, dialog.form.ShowModal());
  ASSERT_TRUE(seen.seen) << "no error box appeared";
  EXPECT_EQ("Registry key not found.", seen.text);
  EXPECT_EQ(dialog.form.Handle(), seen.owner);
  EXPECT_EQ(1u, seen.buttonIds.size());
  EXPECT_EQ(std::vector<int>{IDOK}, seen.buttonIds);
  EXPECT_EQ(::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_HAND)), seen.icon);
  EXPECT_EQ(Application->Title(), seen.caption);
  EXPECT_FALSE(restRan);
  EXPECT_TRUE(openAfterBox);
  EXPECT_EQ("written before the error", toolkit_test::ShownText(dialog.prompt));
}

}  // namespace
}  // namespace toolkit_test
