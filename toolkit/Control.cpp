#include "toolkit/Control.h"

#include <system_error>

#include "toolkit/ActCtx.h"
#include "toolkit/Font.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace toolkit {
namespace {

constexpr wchar_t kControlProperty[] = L"Zentrix.Toolkit.Control";

}  // namespace

HINSTANCE ToolkitModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

TControl::~TControl() { DestroyHandle(); }

void TControl::CreateHandle(const WindowArgs& args) {
  TActCtxScope context;
  const RECT bounds = ScaleBounds(ScreenLayoutScale(), args.x, args.y, args.width, args.height);
  const std::wstring text = Widen(args.text, args.encoding);
  const DWORD style = WS_CHILD | args.style | (args.visible ? WS_VISIBLE : 0);
  handle_ =
      ::CreateWindowExW(args.exStyle, args.className, text.c_str(), style, bounds.left, bounds.top,
                        bounds.right - bounds.left, bounds.bottom - bounds.top, args.parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)), ToolkitModule(), nullptr);
  if (!handle_) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "CreateWindowEx");
  }
  ::SetPropW(handle_, kControlProperty, this);
  // Every control shows its form's font; parents hand it down on request.
  ::SendMessageW(handle_, WM_SETFONT, ::SendMessageW(args.parent, WM_GETFONT, 0, 0), FALSE);
}

void TControl::DestroyHandle() {
  if (!handle_) return;
  // The parent may have gone first and taken this window with it.
  if (::IsWindow(handle_) && ::GetPropW(handle_, kControlProperty) == this) {
    ::RemovePropW(handle_, kControlProperty);
    ::DestroyWindow(handle_);
  }
  handle_ = nullptr;
}

void TControl::SetVisible(bool visible) {
  ::SetWindowPos(
      handle_, nullptr, 0, 0, 0, 0,
      SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TControl::SetText(const char* text, TextEncoding encoding) { toolkit::SetText(handle_, text, encoding); }

TControl* TControl::FromHandle(HWND window) {
  return window ? static_cast<TControl*>(::GetPropW(window, kControlProperty)) : nullptr;
}

bool ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND sender = nullptr;
  switch (message) {
    case WM_COMMAND:
      sender = reinterpret_cast<HWND>(lParam);
      break;
    case WM_NOTIFY:
      sender = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
      break;
    case WM_DRAWITEM:
      sender = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
      break;
    default:
      return false;
  }
  TControl* control = TControl::FromHandle(sender);
  return control && control->OnReflected(message, wParam, lParam, result);
}

}  // namespace toolkit
