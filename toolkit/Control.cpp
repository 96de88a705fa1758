#include "toolkit/Control.h"

#include <system_error>
#include <unordered_map>

#include "toolkit/ActCtx.h"
#include "toolkit/FormSupport.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace toolkit {
namespace {

// Window to control object. Looked up for every reflected message and every
// message to a page: a window property would cost Wine a server request per
// lookup, this map none. The toolkit's windows live on the one thread that
// runs its forms, so it needs no lock.
std::unordered_map<HWND, TControl*>& ControlsByWindow() {
  static std::unordered_map<HWND, TControl*> controls;
  return controls;
}

}  // namespace

HINSTANCE ToolkitModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

TControl::~TControl() { DestroyHandle(); }

HFONT FontOf(HWND window) { return reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)); }

void TControl::CreateHandle(const WindowArgs& args) {
  TActCtxScope context;
  const TBoxArgs& box = args.box;
  layout_ = box;
  // Every control shows its form's font, which parents hand down on request,
  // and is laid out at the scale that goes with it.
  const HFONT font = FontOf(box.parent);
  const std::wstring text = Widen(args.text, args.encoding);
  const RECT bounds =
      args.scaled ? RECT{box.x, box.y, box.x + box.w, box.y + box.h} : LayoutBounds(font, text);
  const DWORD style = WS_CHILD | args.style | (box.visible ? WS_VISIBLE : 0);
  handle_ =
      ::CreateWindowExW(args.exStyle, args.className, text.c_str(), style, bounds.left, bounds.top,
                        bounds.right - bounds.left, bounds.bottom - bounds.top, box.parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(box.id)), ToolkitModule(), nullptr);
  if (!handle_) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "CreateWindowEx");
  }
  ControlsByWindow()[handle_] = this;
  ::SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

RECT TControl::LayoutBounds(HFONT font, const std::wstring&) const {
  return ScaleBounds(LayoutScaleOf(font), layout_.x, layout_.y, layout_.w, layout_.h);
}

void TControl::Relayout() {
  const HFONT font = FontOf(::GetParent(handle_));
  ::SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  const RECT bounds = LayoutBounds(font, WindowTextW(handle_));
  ::SetWindowPos(handle_, nullptr, bounds.left, bounds.top, bounds.right - bounds.left,
                 bounds.bottom - bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TControl::DestroyHandle() {
  const HWND window = handle_;
  if (!window) return;
  ForgetHandle();
  // The parent may have gone first and taken this window with it.
  if (::IsWindow(window)) ::DestroyWindow(window);
}

void TControl::ForgetHandle() {
  if (handle_) ControlsByWindow().erase(handle_);
  handle_ = nullptr;
}

void TControl::SetVisible(bool visible) {
  // Already so: not worth a server request.
  if (Visible() == visible) return;
  // Like SetWindowPos with SWP_NOACTIVATE | SWP_NOZORDER, SW_SHOWNA neither
  // activates nor reorders; under Wine it costs less for a label on a hidden
  // page, which is where the activation pass shows its labels.
  ::ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
}

void TControl::SetText(const char* text, TextEncoding encoding) { ReplaceText(Widen(text, encoding)); }

bool TControl::ReplaceText(const std::wstring& text) {
  // Reading the text back costs nothing; setting the same text again would
  // cost a server request and a repaint. Set as UTF-16, the text the A call
  // would have widened with the ANSI code page is not converted twice.
  if (ShowsText(handle_, text)) return false;
  ::SetWindowTextW(handle_, text.c_str());
  return true;
}

TControl* TControl::FromHandle(HWND window) {
  const auto& controls = ControlsByWindow();
  const auto found = controls.find(window);
  return found == controls.end() ? nullptr : found->second;
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
