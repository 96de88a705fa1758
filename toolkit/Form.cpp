#include "toolkit/Form.h"

#include <system_error>

#include "toolkit/ActCtx.h"
#include "toolkit/Application.h"
#include "toolkit/DialogRole.h"
#include "toolkit/FormSupport.h"
#include "toolkit/PageControl.h"
#include "toolkit/WindowClass.h"

namespace toolkit {
namespace {

constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// The modal frame keeps the icon out of the title bar; no minimise, maximise
// or help box is asked for.
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// Each query of a screen metric costs Wine three server requests.
SIZE ScreenSize() { return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

}  // namespace

TForm::TForm(const Args& args) {
  // What only forms need is made by the first form, not at load.
  if (const DWORD error = PrepareForms()) {
    throw std::system_error(static_cast<int>(error), std::system_category(), "PrepareForms");
  }
  TActCtxScope context;
  // For this call's thread and screen: a host may call from threads of
  // different DPI awareness.
  const FormMetrics& metrics = CurrentFormMetrics(args.designTexts);
  font_ = metrics.font;
  const RECT client = ScaleBounds(metrics.scale, 0, 0, args.clientWidth, args.clientHeight);
  RECT outer = client;
  ::AdjustWindowRectEx(&outer, kFormStyle, FALSE, kFormExStyle);
  // A window of another thread cannot own the form without tying this
  // thread's input to that thread's (see OwnerOnThisThread).
  const HWND owner = OwnerOnThisThread(Application->Handle());
  Application->SetKeyFilter(HandleFormKey);
  const std::wstring caption = Widen(args.caption, args.encoding);
  // Made where showing it will put it, so that it need not move then.
  const SIZE size{outer.right - outer.left, outer.bottom - outer.top};
  screen_ = ScreenSize();
  const POINT origin = CentredOrigin(screen_, size);
  ::CreateWindowExW(kFormExStyle, kFormClass, caption.c_str(), kFormStyle, origin.x, origin.y, size.cx,
                    size.cy, owner, nullptr, ToolkitModule(), this);
  if (!handle_) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "CreateWindowEx");
  }
  // Wine gives a window without a class icon the default one unless told.
  ::SendMessageW(handle_, WM_SETICON, ICON_SMALL, 0);
  ::SendMessageW(handle_, WM_SETICON, ICON_BIG, 0);
  role_ = std::make_unique<TDialogRole>(handle_);
}

TForm::~TForm() {
  if (Application && Application->ActiveForm() == this) Application->SetActiveForm(nullptr);
  // One call takes every control's window along (each alone would cost Wine
  // several server requests); the controls then only forget their handles.
  if (handle_) ::DestroyWindow(handle_);
  while (!controls_.empty()) controls_.pop_back();
}

void TForm::SetCaption(const char* caption, TextEncoding encoding) { SetText(handle_, caption, encoding); }

TControl* TForm::FindControl(int id) const {
  for (const auto& control : controls_) {
    if (control->Id() == id) return control.get();
  }
  return nullptr;
}

void TForm::SetModalResult(int result) {
  modalResult_ = result;
  // The modal loop looks at the result when GetMessage returns. A result set
  // inside GetMessage (a close sent from another thread, the window
  // destroyed by one) would wait there for the user's next input: posted, a
  // message wakes it, as the system's own dialogs do when they end.
  if (modal_ && result != 0) ::PostThreadMessageW(modalThread_, WM_NULL, 0, 0);
}

void TForm::DoCreate() {
  if (onCreate) Application->RunEvent(handle_, onCreate);
}

void TForm::RaiseActivate() {
  if (!onActivate) return;
  Application->RunEvent(handle_, [this] {
    // Ended before an error box would show, so that the form paints under it.
    TPaintDeferred deferred(ShownPages());
    onActivate();
  });
}

std::vector<HWND> TForm::ShownPages() const {
  std::vector<HWND> pages;
  for (const auto& control : controls_) {
    const auto* strip = dynamic_cast<const TPageControl*>(control.get());
    if (strip && strip->ActivePage() && strip->ActivePage()->Visible())
      pages.push_back(strip->ActivePage()->Handle());
  }
  return pages;
}

TPaintDeferred::TPaintDeferred(std::vector<HWND> windows) : windows_(std::move(windows)) {
  for (HWND window : windows_) ::SendMessageW(window, WM_SETREDRAW, FALSE, 0);
}

TPaintDeferred::~TPaintDeferred() {
  for (HWND window : windows_) {
    ::SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
}

TForm* TForm::FromWindow(HWND window) {
  const HWND root = window ? ::GetAncestor(window, GA_ROOT) : nullptr;
  if (!root) return nullptr;
  wchar_t className[64] = {};
  ::GetClassNameW(root, className, 64);
  if (lstrcmpW(className, kFormClass) != 0) return nullptr;
  return reinterpret_cast<TForm*>(::GetWindowLongPtrW(root, GWLP_USERDATA));
}

void TForm::Centre() {
  RECT outer;
  ::GetWindowRect(handle_, &outer);
  // On the screen as it was when the form was made, which is shown right
  // after; made centred, it moves only when its size has changed since.
  const POINT origin = CentredOrigin(screen_, {outer.right - outer.left, outer.bottom - outer.top});
  if (origin.x == outer.left && origin.y == outer.top) return;
  ::SetWindowPos(handle_, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::ForwardColourChange() {
  // The form's own list, not a walk of its window tree: each step of a walk
  // costs Wine a server request. Pages, the toolkit's own windows, keep no
  // colours.
  for (const auto& control : controls_) ::SendMessageW(control->Handle(), WM_SYSCOLORCHANGE, 0, 0);
}

LRESULT CALLBACK TForm::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->handle_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<TForm*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return ::DefWindowProcW(window, message, wParam, lParam);
  // Nothing may unwind through the system's code that called us.
  LRESULT result = 0;
  Application->RunEvent(window, [&] { result = form->HandleMessage(message, wParam, lParam); });
  return result;
}

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND window = handle_;
  LRESULT result = 0;
  if (ReflectToControl(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_ACTIVATE:
      OnActivateMessage(wParam);
      return 0;
    case WM_CLOSE:
      // The close box ends a modal showing as Cancel; the window itself stays
      // for its owner to destroy.
      if (modal_) {
        SetModalResult(kModalResultCancel);
      } else {
        ::ShowWindow(handle_, SW_HIDE);
      }
      return 0;
    case WM_SYSCOLORCHANGE:
      ForwardColourChange();
      break;
    case WM_SETCURSOR:
      if (Application->Cursor()) {
        ::SetCursor(Application->Cursor());
        return TRUE;
      }
      break;
    case WM_NCDESTROY:
      // The last message of the form's destruction: its controls' windows
      // are gone already.
      for (const auto& control : controls_) control->ForgetHandle();
      role_.reset();
      ::SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
      if (modal_) SetModalResult(kModalResultCancel);
      handle_ = nullptr;
      break;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void TForm::OnActivateMessage(WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    const HWND focus = ::GetFocus();
    if (focus && ::IsChild(handle_, focus)) lastFocus_ = focus;
    return;
  }
  TForm* previous = Application->ActiveForm();
  Application->SetActiveForm(this);
  // DefWindowProc would put the focus on the form itself; a dialog gives it
  // back to the control that had it.
  if (lastFocus_ && ::IsWindow(lastFocus_) && ::IsWindowVisible(lastFocus_) &&
      ::IsWindowEnabled(lastFocus_)) {
    ::SetFocus(lastFocus_);
  } else {
    FocusFirst();
  }
  if (activatedThisShowing_ && previous && previous != this) RaiseActivate();
}

}  // namespace toolkit
