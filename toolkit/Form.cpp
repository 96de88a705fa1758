#include "toolkit/Form.h"

#include <system_error>

#include "toolkit/ActCtx.h"
#include "toolkit/Application.h"
#include "toolkit/Density.h"
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
constexpr UINT kGetDpiScaledSize = 0x02E4;  // WM_GETDPISCALEDSIZE, Windows 10 1703

// The primary screen and its work area (the screen less the taskbar and
// application bars), as this thread sees them. Read once per form: each
// query of a screen costs Wine server requests.
void ReadPrimaryScreen(RECT& screen, RECT& work) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (::GetMonitorInfoW(::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) {
    screen = info.rcMonitor;
    work = info.rcWork;
  } else {
    screen = work = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  }
}

}  // namespace

TForm::TForm(const Args& args)
    : layoutClient_{args.clientWidth, args.clientHeight}, designTexts_(args.designTexts) {
  // What only forms need is made by the first form, not at load.
  if (const DWORD error = PrepareForms()) {
    throw std::system_error(static_cast<int>(error), std::system_category(), "PrepareForms");
  }
  TActCtxScope context;
  // For this call's thread and screen: a host may call from threads of
  // different DPI awareness.
  const FormMetrics& metrics = CurrentFormMetrics(designTexts_);
  font_ = metrics.font;
  // A window of another thread cannot own the form without tying this
  // thread's input to that thread's (see OwnerOnThisThread).
  const HWND owner = OwnerOnThisThread(Application->Handle());
  Application->SetKeyFilter(HandleFormKey);
  const std::wstring caption = Widen(args.caption, args.encoding);
  // Made where showing it will put it, so that it need not move then.
  const SIZE size = WindowSize(metrics.scale, 0);
  ReadPrimaryScreen(screen_, work_);
  const RECT placed = FormPlacement(screen_, work_, size);
  ::CreateWindowExW(kFormExStyle, kFormClass, caption.c_str(), kFormStyle, placed.left, placed.top, size.cx,
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

SIZE TForm::WindowSize(const LayoutScale& scale, int frameDpi) const {
  RECT outer = ScaleBounds(scale, 0, 0, layoutClient_.cx, layoutClient_.cy);
  AdjustWindowRectForDensity(outer, kFormStyle, kFormExStyle, frameDpi);
  return {outer.right - outer.left, outer.bottom - outer.top};
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
  // inside GetMessage, while it hands over a message sent from another thread
  // (a close sent by another program), would wait there for the user's next
  // input: a posted message wakes it, and that loop takes it. Set anywhere
  // else, the loop sees the result as soon as the message it dispatched
  // returns, and a message posted then would stay in the host's queue.
  if (modal_ && result != 0 && ::InSendMessageEx(nullptr) != ISMEX_NOSEND)
    ::PostThreadMessageW(modalThread_, WM_NULL, 0, 0);
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

void TForm::Place() {
  RECT outer;
  ::GetWindowRect(handle_, &outer);
  // On the screen as it was when the form was made, which is shown right
  // after; made in place, it moves only when its size has changed since.
  const RECT placed = FormPlacement(screen_, work_, {outer.right - outer.left, outer.bottom - outer.top});
  if (placed.left == outer.left && placed.top == outer.top) return;
  ::SetWindowPos(handle_, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::ChangeDensity(int dpi, const RECT& suggested) {
  // The font and scale a form made at this density gets, and each control
  // laid out by the rule it was made by, parents first (the order they were
  // made in).
  const FormMetrics& metrics = FormMetricsAt(dpi, designTexts_);
  if (metrics.font != font_) {
    font_ = metrics.font;
    for (const auto& control : controls_) control->Relayout();
    ::RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  // The suggested rectangle's corner; its size is the system's guess at the
  // form's (exact where WM_GETDPISCALEDSIZE was asked). The frame is the
  // one the system now draws.
  const SIZE size = WindowSize(metrics.scale, WindowDensity(handle_));
  ::SetWindowPos(handle_, nullptr, suggested.left, suggested.top, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  // A per-monitor (v1) window's frame stays at the system's density whatever
  // the window's: the client area is what the layout needs.
  const RECT wanted = ScaleBounds(metrics.scale, 0, 0, layoutClient_.cx, layoutClient_.cy);
  RECT client{};
  ::GetClientRect(handle_, &client);
  if (client.right != wanted.right || client.bottom != wanted.bottom) {
    ::SetWindowPos(handle_, nullptr, 0, 0, size.cx + wanted.right - client.right,
                   size.cy + wanted.bottom - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
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
    case WM_DPICHANGED:
      ChangeDensity(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case kGetDpiScaledSize:
      // Asked before WM_DPICHANGED (Windows 10 1703 and later): the size the
      // form takes there, so that the suggested rectangle has it.
      *reinterpret_cast<SIZE*>(lParam) =
          WindowSize(FormMetricsAt(static_cast<int>(wParam), designTexts_).scale, static_cast<int>(wParam));
      return TRUE;
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
