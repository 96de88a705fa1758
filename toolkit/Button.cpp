#include "toolkit/Button.h"

#include "toolkit/Application.h"

namespace toolkit {

TButton::TButton(const Args& args) {
  CreateHandle({.className = L"BUTTON",
                .style = WS_TABSTOP | BS_PUSHBUTTON,
                .box = args.box,
                .text = args.text,
                .encoding = args.encoding});
}

void TButton::Click() {
  if (onClick) Application->RunEvent(Form(), onClick);
}

bool TButton::OnDialogKey(WPARAM key) {
  if (key != VK_RETURN) return false;
  Click();
  return true;
}

bool TButton::OnReflected(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
  Click();
  result = 0;
  return true;
}

}  // namespace toolkit
