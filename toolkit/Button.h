// Push button (BUTTON, BS_PUSHBUTTON). Never a default button: Enter presses
// it only while it has the focus.
#pragma once

#include <functional>

#include "toolkit/Control.h"

namespace toolkit {

class TButton : public TControl {
 public:
  struct Args {
    TBoxArgs box;
    const char* text = nullptr;
    TextEncoding encoding = TextEncoding::Ansi;
  };

  explicit TButton(const Args& args);

  std::function<void()> onClick;
  // Raises onClick as a user's click does.
  void Click();

  bool OnDialogKey(WPARAM key) override;
  bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

}  // namespace toolkit
