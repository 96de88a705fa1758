#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <system_error>

#include "TestDialog.h"
#include "TestSupport.h"
#include "host/WindowRead.h"
#include "shared/Scoped.h"
#include "toolkit/ActCtx.h"
#include "toolkit/Font.h"
#include "toolkit/Image.h"

namespace toolkit_test {
namespace {

constexpr int kTestIconId = 101;

// The text's extent in the form font, measured here without the toolkit.
SIZE TextExtent(HWND form, const wchar_t* text) {
  shared::ScopedWindowDC dc(form);
  shared::ScopedSelect font(dc.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(form, WM_GETFONT, 0, 0)));
  SIZE extent{};
  ::GetTextExtentPoint32W(dc.Get(), text, lstrlenW(text), &extent);
  return extent;
}

TEST(Label, AutoSizedLabelGrowsAndShrinksToTheRightOfItsLeftEdge) {
  TestDialog dialog;
  const HWND label = dialog.prompt.Handle();
  const RECT before = host::RectInParent(label);
  const SIZE shortText = TextExtent(dialog.form.Handle(), L"Product name:");
  EXPECT_EQ(shortText.cx, before.right - before.left);
  EXPECT_EQ(shortText.cy, before.bottom - before.top);

  dialog.prompt.SetText("Microsoft Windows 7 Professional with a rather long product name");
  const RECT grown = host::RectInParent(label);
  EXPECT_EQ(before.left, grown.left);
  EXPECT_EQ(before.top, grown.top);
  EXPECT_EQ(
      TextExtent(dialog.form.Handle(), L"Microsoft Windows 7 Professional with a rather long product name")
          .cx,
      grown.right - grown.left);
  EXPECT_EQ(before.bottom - before.top, grown.bottom - grown.top);

  dialog.prompt.SetText("");
  const RECT empty = host::RectInParent(label);
  EXPECT_EQ(before.left, empty.left);
  EXPECT_LT(empty.right - empty.left, before.right - before.left);
  EXPECT_EQ(before.bottom - before.top, empty.bottom - empty.top) << "an empty label keeps one line's height";
}

TEST(Label, AutoSizedLabelIsMadeAtItsTextsSizeWhateverTheStoredBox) {
  TestDialog dialog;
  TLabel& label = dialog.form.Add<TLabel>(
      {.box = {.parent = dialog.winSheet.Handle(), .id = 22, .x = 21, .y = 99, .w = 5, .h = 3},
       .text = "Windows type:"});
  const RECT box = host::RectInParent(label.Handle());
  const SIZE extent = TextExtent(dialog.form.Handle(), L"Windows type:");
  EXPECT_EQ(dialog.Scale().x.Apply(21), box.left);
  EXPECT_EQ(dialog.Scale().y.Apply(99), box.top);
  EXPECT_EQ(extent.cx, box.right - box.left);
  EXPECT_EQ(extent.cy, box.bottom - box.top);

  label.SetText("Windows type:");
  const RECT again = host::RectInParent(label.Handle());
  EXPECT_TRUE(::EqualRect(&box, &again)) << "the same text keeps the box";
}

TEST(Label, AutoSizedWrappingLabelBreaksItsTextWithinTheStoredWidth) {
  TestDialog dialog;
  const char text[] = "A text long enough to need several lines in a box this narrow";
  TLabel& label = dialog.form.Add<TLabel>(
      {.box = {.parent = dialog.winSheet.Handle(), .id = 22, .x = 21, .y = 99, .w = 100, .h = 13},
       .text = text,
       .wordWrap = true});
  RECT expected{0, 0, dialog.Scale().x.Apply(100), 0};
  {
    shared::ScopedWindowDC dc(dialog.form.Handle());
    shared::ScopedSelect font(
        dc.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(dialog.form.Handle(), WM_GETFONT, 0, 0)));
    ::DrawTextA(dc.Get(), text, -1, &expected, DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX | DT_WORDBREAK);
  }
  const RECT box = host::RectInParent(label.Handle());
  EXPECT_EQ(expected.right, box.right - box.left);
  EXPECT_EQ(expected.bottom, box.bottom - box.top);
  EXPECT_GT(box.bottom - box.top, 2 * TextExtent(dialog.form.Handle(), L"A").cy);
  EXPECT_LE(box.right - box.left, dialog.Scale().x.Apply(100));
}

TEST(Label, FixedLabelsKeepTheirBoxAndAmpersandShows) {
  TestDialog dialog;
  TLabel& title = dialog.form.Add<TLabel>(
      {.box = {.parent = dialog.winSheet.Handle(), .id = 20, .x = 48, .y = 24, .w = 281, .h = 13},
       .text = "Windows information",
       .autoSize = false,
       .align = TLabel::Align::Centre});
  TLabel& wrapping = dialog.form.Add<TLabel>(
      {.box = {.parent = dialog.winSheet.Handle(), .id = 21, .x = 137, .y = 181, .w = 184, .h = 36},
       .text = "No information",
       .autoSize = false,
       .wordWrap = true});
  const RECT titleBox = host::RectInParent(title.Handle());
  const RECT wrapBox = host::RectInParent(wrapping.Handle());
  title.SetText("Windows Information & more");
  wrapping.SetText(
      "A video BIOS text long enough to need more than one line in a box this narrow, and then some");
  const RECT titleAfter = host::RectInParent(title.Handle());
  const RECT wrapAfter = host::RectInParent(wrapping.Handle());
  EXPECT_TRUE(::EqualRect(&titleBox, &titleAfter));
  EXPECT_TRUE(::EqualRect(&wrapBox, &wrapAfter));
  EXPECT_EQ("Windows Information & more", toolkit_test::ShownText(title));
  EXPECT_NE(0, ::GetWindowLongW(title.Handle(), GWL_STYLE) & SS_NOPREFIX);
}

TEST(Text, AnsiAndUtf8PathsBothReachTheWindowIntact) {
  TestDialog dialog;
  // 0xE9 is a letter in every Western code page; through the A path it must
  // arrive as that code page's character, not as raw UTF-8.
  const char ansi[] = "Caf\xE9";
  dialog.prompt.SetText(ansi);
  wchar_t expected[8] = {};
  ::MultiByteToWideChar(CP_ACP, 0, ansi, -1, expected, 8);
  EXPECT_EQ(std::wstring(expected), WindowTextW(dialog.prompt.Handle()));
  EXPECT_EQ(ansi, toolkit_test::ShownText(dialog.prompt));

  dialog.prompt.SetText("\xD0\xA1\xD0\xB5\xD1\x82\xD1\x8C", TextEncoding::Utf8);
  EXPECT_EQ(L"\x0421\x0435\x0442\x044C", WindowTextW(dialog.prompt.Handle()));
}

int setTextSeen = 0;

LRESULT CALLBACK CountSetText(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lParam)->message == WM_SETTEXT) ++setTextSeen;
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(Text, TheSameTextAgainIsNotSentToTheWindow) {
  TestDialog dialog;
  setTextSeen = 0;
  const HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, CountSetText, nullptr, ::GetCurrentThreadId());
  ASSERT_NE(nullptr, hook);
  dialog.prompt.SetText("Product name:");  // as made
  dialog.winSheet.SetText("Windows");
  const int afterSame = setTextSeen;
  dialog.prompt.SetText("Product name");
  dialog.netSheet.SetText("\xD0\xA1\xD0\xB5\xD1\x82\xD1\x8C", TextEncoding::Utf8);
  dialog.netSheet.SetText("\xD0\xA1\xD0\xB5\xD1\x82\xD1\x8C", TextEncoding::Utf8);
  const int afterChanged = setTextSeen;
  ::UnhookWindowsHookEx(hook);
  EXPECT_EQ(0, afterSame);
  EXPECT_EQ(2, afterChanged);
  EXPECT_EQ("Product name", toolkit_test::ShownText(dialog.prompt));
  EXPECT_EQ(L"\x0421\x0435\x0442\x044C", WindowTextW(dialog.netSheet.Handle()));
}

TEST(Image, TakesTheSizeOfItsThirtyTwoPixelIcon) {
  TestDialog dialog;
  TImage& image = dialog.form.Add<TImage>({.parent = dialog.winSheet.Handle(),
                                           .id = 23,
                                           .x = 7,
                                           .y = 11,
                                           .module = ::GetModuleHandleW(nullptr),
                                           .iconId = kTestIconId});
  const RECT box = host::RectInParent(image.Handle());
  EXPECT_EQ(32, box.right - box.left);
  EXPECT_EQ(32, box.bottom - box.top);
  EXPECT_NE(0, ::SendMessageW(image.Handle(), STM_GETICON, 0, 0));
}

TEST(Image, MissingIconIsAnError) {
  TestDialog dialog;
  EXPECT_THROW(dialog.form.Add<TImage>({.parent = dialog.winSheet.Handle(),
                                        .id = 24,
                                        .module = ::GetModuleHandleW(nullptr),
                                        .iconId = 999}),
               std::system_error);
}

TEST(Bevel, StaysBelowTheControlsItEncloses) {
  TestDialog dialog;
  // Created after the label, yet the label must draw over the frame.
  HWND last = ::GetWindow(dialog.prompt.Handle(), GW_HWNDLAST);
  EXPECT_EQ(dialog.frame.Handle(), last);
  EXPECT_EQ(0, ::GetWindowLongW(dialog.frame.Handle(), GWL_STYLE) & WS_TABSTOP);
}

TEST(ListView, RowsCarryCaptionAndSubItemsWithWholeRowSelection) {
  TestDialog dialog;
  dialog.list.AddColumn("FileName", 100);
  dialog.list.AddColumn("ProductName", 200);
  dialog.list.AddColumn("Copyright", 150);
  EXPECT_EQ(200, ::SendMessageW(dialog.list.Handle(), LVM_GETCOLUMNWIDTH, 1, 0));
  EXPECT_EQ(0, dialog.list.AddRow("kernel32.dll", {"Wine", "Copyright (c) Wine"}));
  EXPECT_EQ(1, dialog.list.AddRow("user32.dll", {"Wine"}));
  EXPECT_EQ(2, dialog.list.RowCount());
  EXPECT_EQ("user32.dll", dialog.list.ItemText(1, 0));
  EXPECT_EQ("Copyright (c) Wine", dialog.list.ItemText(0, 2));
  const auto extended = ::SendMessageW(dialog.list.Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  EXPECT_NE(0, extended & LVS_EX_FULLROWSELECT);
}

TEST(ActCtx, WithoutAManifestResourceTheScopeDoesNothing) {
  TActCtxScope scope;
  EXPECT_FALSE(scope.Active());
  TestDialog dialog;  // and windows are still created
  EXPECT_NE(nullptr, dialog.list.Handle());
}

}  // namespace
}  // namespace toolkit_test
