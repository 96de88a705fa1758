// Finding the control object behind a window (reflected notifications, the
// pages' own procedure, dialog keys) while controls and forms come and go.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "TestDialog.h"
#include "host/ProcessCounters.h"
#include "host/WindowRead.h"

namespace toolkit_test {
namespace {

// The root and every window inside it.
std::vector<HWND> WindowsFrom(HWND root) {
  std::vector<HWND> windows = host::Descendants(root);
  windows.insert(windows.begin(), root);
  return windows;
}

// What a button sends its parent when clicked; the parent reflects it.
void SendClicked(const TControl& button) {
  ::SendMessageW(::GetParent(button.Handle()), WM_COMMAND, MAKEWPARAM(button.Id(), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button.Handle()));
}

TEST(ControlLookup, EveryLiveControlIsFoundWhileManyComeAndGo) {
  TestDialog dialog;
  std::vector<std::unique_ptr<TButton>> buttons;
  std::vector<HWND> gone;
  int clicked = 0;
  const auto add = [&](int id) {
    buttons.push_back(std::make_unique<TButton>(
        TButton::Args{.box = {.parent = dialog.winSheet.Handle(), .id = id, .x = 0, .y = 0, .w = 10, .h = 10},
                      .text = "B"}));
    buttons.back()->onClick = [&clicked, id] { clicked = id; };
  };
  for (int id = 100; id < 300; ++id) add(id);
  // Every second one goes again, then more come, maybe into the freed slots.
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (i % 2 == 0) continue;
    gone.push_back(buttons[i]->Handle());
    buttons[i].reset();
  }
  std::erase(buttons, nullptr);
  for (int id = 300; id < 400; ++id) add(id);

  for (const auto& button : buttons) {
    ASSERT_EQ(button.get(), TControl::FromHandle(button->Handle()));
    SendClicked(*button);
    EXPECT_EQ(button->Id(), clicked);
  }
  for (HWND window : gone) {
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(nullptr, TControl::FromHandle(window));
  }
  EXPECT_EQ(&dialog.prompt, TControl::FromHandle(dialog.prompt.Handle()));
  EXPECT_EQ(&dialog.winSheet, TControl::FromHandle(dialog.winSheet.Handle()));
  EXPECT_EQ(nullptr, TControl::FromHandle(dialog.form.Handle())) << "the form is no control";
  EXPECT_EQ(nullptr, TControl::FromHandle(nullptr));
}

TEST(ControlLookup, DestroyingAFormTakesEveryWindowAndForgetsEveryControl) {
  const int windowsBefore = host::ThreadWindowCount();
  auto dialog = std::make_unique<TestDialog>();
  const std::vector<HWND> windows = WindowsFrom(dialog->form.Handle());
  int controls = 0;
  for (HWND window : windows) controls += TControl::FromHandle(window) != nullptr;
  EXPECT_EQ(11, controls) << "the strip, five pages, two labels, frame, list and button";

  dialog.reset();
  for (HWND window : windows) {
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(nullptr, TControl::FromHandle(window));
  }
  EXPECT_EQ(windowsBefore, host::ThreadWindowCount());
}

TEST(ControlLookup, FormWindowDestroyedFromOutsideLeavesControlsWithoutHandles) {
  TestDialog dialog;
  const std::vector<HWND> windows = WindowsFrom(dialog.form.Handle());
  ::DestroyWindow(dialog.form.Handle());
  EXPECT_EQ(nullptr, dialog.form.Handle());
  for (const TControl* control : std::initializer_list<const TControl*>{
           &dialog.pages, &dialog.winSheet, &dialog.libSheet, &dialog.prompt, &dialog.list, &dialog.ok}) {
    EXPECT_EQ(nullptr, control->Handle());
  }
  for (HWND window : windows) EXPECT_EQ(nullptr, TControl::FromHandle(window));
  // Going out of scope now touches no window.
}

TEST(ControlLookup, SecondFormKeepsItsControlsWhenTheFirstGoes) {
  auto first = std::make_unique<TestDialog>();
  TestDialog second;
  first.reset();
  EXPECT_EQ(&second.ok, TControl::FromHandle(second.ok.Handle()));
  int clicks = 0;
  second.ok.onClick = [&] { ++clicks; };
  SendClicked(second.ok);
  EXPECT_EQ(1, clicks);
  // The page procedure still finds its page: it answers with the form font.
  EXPECT_EQ(::SendMessageW(second.form.Handle(), WM_GETFONT, 0, 0),
            ::SendMessageW(second.winSheet.Handle(), WM_GETFONT, 0, 0));
}

TEST(ControlLookup, PageControlTakesItsPagesWithIt) {
  TestDialog dialog;
  auto pages = std::make_unique<TPageControl>(
      TPageControl::Args{.parent = dialog.form.Handle(), .id = 30, .x = 0, .y = 0, .w = 100, .h = 100});
  const HWND page = pages->AddPage({.id = 31, .caption = "One"}).Handle();
  const HWND hidden = pages->AddPage({.id = 32, .caption = "Two", .tabVisible = false}).Handle();
  const HWND strip = pages->Handle();
  pages.reset();
  for (HWND window : {strip, page, hidden}) {
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(nullptr, TControl::FromHandle(window));
  }
}

}  // namespace
}  // namespace toolkit_test
