#include "toolkit/ActCtx.h"
#include "toolkit/Application.h"
#include "toolkit/Form.h"
#include "toolkit/HostBand.h"

#include <stdexcept>

namespace toolkit {
namespace {

struct ThreadWindowScan {
  HWND except;
  std::vector<HWND>* found;
};

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM context) {
  auto* scan = reinterpret_cast<ThreadWindowScan*>(context);
  if (window != scan->except && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
    scan->found->push_back(window);
  }
  return TRUE;
}

}  // namespace

TDisabledThreadWindows::TDisabledThreadWindows(HWND except) : except_(except) {
  std::vector<HWND> candidates;
  ThreadWindowScan scan{except, &candidates};
  ::EnumThreadWindows(::GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&scan));
  disabled_.reserve(candidates.size());
  for (HWND window : candidates) {
    ::EnableWindow(window, FALSE);
    disabled_.push_back(window);
  }
}

TDisabledThreadWindows::~TDisabledThreadWindows() {
  for (HWND window : disabled_) {
    if (::IsWindow(window)) ::EnableWindow(window, TRUE);
  }
}

int TForm::ShowModal() {
  if (!handle_ || ::IsWindowVisible(handle_) || !::IsWindowEnabled(handle_) || modal_) {
    throw std::logic_error("Cannot make a visible window modal");
  }
  TActCtxScope context;
  const HWND previousActive = ::GetActiveWindow();
  modalResult_ = 0;
  lastFocus_ = nullptr;
  activatedThisShowing_ = false;
  modal_ = true;
  modalThread_ = ::GetCurrentThreadId();
  // A change of colours made while no form was up reached none of the common
  // controls, and this form's were made with the colours they last heard of.
  ForwardColourChange();
  bool stillActive = false;
  {
    TDisabledThreadWindows disabled(handle_);
    const THostBand band(handle_, Application->Handle());
    Place();
    ::ShowWindow(handle_, SW_SHOW);
    band.Raise();
    band.TakeForeground();
    // Activation can be refused (another program in front): the form then
    // still starts with the focus on its first control.
    if (!::IsChild(handle_, ::GetFocus())) FocusFirst();
    Application->SetActiveForm(this);
    activatedThisShowing_ = true;
    RaiseActivate();

    MSG message;
    while (modalResult_ == 0 && handle_) {
      const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
      if (got <= 0) {
        // WM_QUIT belongs to the outer loop: hand it on and end as Cancel.
        if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
        modalResult_ = kModalResultCancel;
        break;
      }
      Application->RouteMessage(message);
    }
    stillActive = handle_ && ::GetActiveWindow() == handle_;
  }
  // Windows enabled again first: a disabled window cannot take the activation.
  // Only a window of this thread is activated: one of another thread (a host
  // that joined its threads' input) would have to answer before this returns.
  if (stillActive && IsWindowOfThisThread(previousActive)) ::SetActiveWindow(previousActive);
  if (handle_) {
    ::SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (Application->ActiveForm() == this) Application->SetActiveForm(nullptr);
  modal_ = false;
  return modalResult_;
}

}  // namespace toolkit
