#include "toolkit/HostBand.h"

#include "toolkit/Application.h"

namespace toolkit {
namespace {

constexpr UINT kLookMs = 250;
constexpr UINT kBandMoves = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

bool IsForeignWindow(HWND window) { return window && ::IsWindow(window) && !IsWindowOfThisThread(window); }

bool IsTopmost(HWND window) { return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Whether the host holds the topmost band on the screen: its top-level
// window (a host's pane is in that window's band) is topmost, shown and not
// minimised. A minimised or hidden host keeps its style but covers nothing,
// and a window following it there would stay above every program.
bool HostInTopmostBand(HWND host) {
  const HWND top = ::GetAncestor(host, GA_ROOT);
  return top && IsTopmost(top) && ::IsWindowVisible(top) && !::IsIconic(top);
}

// Reading another thread's window style and state asks the system, not that
// thread.
void Follow(HWND window, HWND host) {
  const bool topmost = ::IsWindow(host) && HostInTopmostBand(host);
  if (topmost != IsTopmost(window))
    ::SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, kBandMoves);
}

}  // namespace

bool IsTopmostForeignWindow(HWND window) { return IsForeignWindow(window) && HostInTopmostBand(window); }

THostBand::THostBand(HWND window, HWND host) {
  if (!IsForeignWindow(host)) return;
  // The host's handle is the timer's id: a tick needs nothing that could be
  // gone by then.
  if (!::SetTimer(window, reinterpret_cast<UINT_PTR>(host), kLookMs, Tick)) return;
  window_ = window;
  host_ = host;
}

THostBand::~THostBand() {
  if (window_) ::KillTimer(window_, reinterpret_cast<UINT_PTR>(host_));
}

void THostBand::Raise() const {
  if (!window_) return;
  // HWND_TOPMOST also puts it at the top of that band, where a window that
  // was shown while another program held the foreground may not be.
  if (IsTopmostForeignWindow(host_)) {
    ::SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, kBandMoves);
  } else {
    Follow(window_, host_);
  }
}

void THostBand::TakeForeground() const {
  if (window_ && IsTopmostForeignWindow(host_) && ::GetForegroundWindow() != window_)
    ::SetForegroundWindow(window_);
}

void CALLBACK THostBand::Tick(HWND window, UINT, UINT_PTR host, DWORD) noexcept {
  const HWND hostWindow = reinterpret_cast<HWND>(host);
  Follow(window, hostWindow);
  // A handle freed is soon another window's.
  if (!::IsWindow(hostWindow)) ::KillTimer(window, host);
}

TBoxOverHost::TBoxOverHost(HWND host) : host_(host) {
  if (!IsForeignWindow(host)) return;
  hook_ = shared::ScopedHook(::SetWindowsHookExW(WH_CBT, Hook, nullptr, ::GetCurrentThreadId()));
  current_ = this;
}

TBoxOverHost::~TBoxOverHost() {
  if (current_ == this) current_ = outer_;
}

UINT TBoxOverHost::Style() const { return IsTopmostForeignWindow(host_) ? MB_TOPMOST | MB_SETFOREGROUND : 0; }

LRESULT CALLBACK TBoxOverHost::Hook(int code, WPARAM wParam, LPARAM lParam) noexcept {
  TBoxOverHost* box = current_;
  const HWND window = reinterpret_cast<HWND>(wParam);
  if (code == HCBT_CREATEWND && box && !box->band_) {
    wchar_t className[8] = {};
    const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs;
    if (!(create->style & WS_CHILD) && ::GetClassNameW(window, className, 8) &&
        !lstrcmpW(className, L"#32770"))
      box->band_.emplace(window, box->host_);
  } else if (code == HCBT_ACTIVATE && box && box->band_ && box->band_->Window() == window) {
    // Being shown. MB_TOPMOST asks the same, but not every system's box
    // heeds it.
    box->band_->Raise();
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace toolkit
