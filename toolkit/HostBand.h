// What this thread shows over a host window of another thread or process.
// Such a window cannot own it (see OwnerOnThisThread), so nothing keeps the
// unowned dialog or box above the host: over a host that is always on top (a
// maximised file manager kept on top, say) it would open underneath, and a
// click meant for it would land on the host. So it takes the host's band of
// the z-order, the topmost one while the host is there. Only this thread's
// window changes band or place; the host's band and place are its own, and
// nothing here sends its thread a message or waits on it.
#pragma once

#include <windows.h>

#include <optional>

#include "shared/Scoped.h"

namespace toolkit {

// True for a live window of another thread or process that is always on top,
// shown and not minimised (a child window: whose top-level window is).
bool IsTopmostForeignWindow(HWND window);

// Keeps `window`, of this thread, in the band of `host`, a window of another
// thread or process, for the object's life: topmost while the host is, in
// the normal band once it is not (or is gone, hidden or minimised), from
// Raise or the first look on. No message tells this thread that another's
// window changed band, so a timer on `window` looks four times a second.
// Does nothing for a host of this thread (which owns the window instead) or
// none.
class THostBand {
 public:
  THostBand(HWND window, HWND host);
  ~THostBand();
  THostBand(const THostBand&) = delete;
  THostBand& operator=(const THostBand&) = delete;

  // Once `window` is shown: into the host's band, over a topmost host to the
  // top of that band.
  void Raise() const;
  // Over a topmost host, the foreground too. The system gives it to this
  // process while the user's last input went to it (a host of another thread
  // of this process called in) or the foreground process allowed it
  // (AllowSetForegroundWindow, asked of a host in another process). Refused,
  // it flashes the window's taskbar button: the window is still above the
  // host, and the first click on it gives it the keyboard.
  void TakeForeground() const;
  HWND Window() const { return window_; }

 private:
  static void CALLBACK Tick(HWND window, UINT, UINT_PTR host, DWORD) noexcept;
  HWND window_ = nullptr;
  HWND host_ = nullptr;
};

// The same for the message box that this thread shows next, while the object
// lives, over `host`. The box's handle is not handed out, so a hook on this
// thread alone catches the first dialog window it creates.
class TBoxOverHost {
 public:
  explicit TBoxOverHost(HWND host);
  ~TBoxOverHost();
  TBoxOverHost(const TBoxOverHost&) = delete;
  TBoxOverHost& operator=(const TBoxOverHost&) = delete;

  // MB_TOPMOST | MB_SETFOREGROUND over a topmost host of another thread or
  // process (see THostBand::TakeForeground), else 0.
  UINT Style() const;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) noexcept;
  static inline thread_local TBoxOverHost* current_ = nullptr;
  TBoxOverHost* outer_ = current_;
  HWND host_;
  shared::ScopedHook hook_;
  std::optional<THostBand> band_;
};

}  // namespace toolkit
