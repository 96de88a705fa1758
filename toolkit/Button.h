// Push button (BUTTON, BS_PUSHBUTTON). Never a default button: Enter presses
// it only while it has the focus.
#pragma once

#include <functional>

#include "toolkit/Control.h"

namespace toolkit {

class TButton : public TControl {
 public:
  struct Args {
    HWND parent = nullptr;
    int id = 0;
    const char* text = nullptr;
    TextEncoding encoding = TextEncoding::Ansi;
    int x = 0, y = 0, w = 0, h = 0;
    bool visible = true;
  };

  explicit TButton(const Args& args);

  std::function<void()> onClick;
  // Raises onClick as a user's click does.
  void Click();

  bool OnDialogKey(WPARAM key) override;
  bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

}  // namespace toolkit
