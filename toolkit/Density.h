// The screen density a form is made for, asked for each form: a host may
// call from threads of different DPI awareness, and a per-monitor aware one
// sees the density of the screen the form goes on.
#pragma once

#include <windows.h>

namespace toolkit {

// The density of the primary screen, where forms are centred, as the calling
// thread sees it: 96 for a DPI-unaware thread (the system stretches its
// windows), the system's for a system-aware one, the screen's own for a
// per-monitor aware one. Systems before Windows 10 1607 have no per-thread
// awareness and give the screen DC's density. `shellScaling` is shcore.dll
// where loaded (Windows 8.1 and later), else null.
int FormDensity(HMODULE shellScaling) noexcept;

// Whether the calling system has per-thread DPI awareness, and so may need
// shcore.dll for FormDensity.
bool HasThreadDpiAwareness() noexcept;

// The density `window` is drawn at, its frame included; 0 where the system
// cannot tell (before Windows 10 1607).
int WindowDensity(HWND window) noexcept;
// AdjustWindowRectEx (no menu) with the frame at `dpi`; with the calling
// thread's metrics where `dpi` is 0 or the system has no such call.
void AdjustWindowRectForDensity(RECT& rect, DWORD style, DWORD exStyle, int dpi) noexcept;

}  // namespace toolkit
