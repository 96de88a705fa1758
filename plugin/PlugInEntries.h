// The plug-in's entries, reached by the host through PlugInFuncProc. Each
// takes a value none of them uses and the window that is to own what it shows.
#pragma once

#include <windows.h>

#include <cstdint>

namespace plugin {

uint32_t __stdcall NoOpProc(uint32_t unused, HWND wnd) noexcept;
uint32_t __stdcall AboutProc(uint32_t unused, HWND wnd) noexcept;
// Runs the plug-in: the system information dialog over `wnd` (unowned when
// `wnd` is a window of another thread). Returns kExecuteClosed once the
// dialog has been closed; when the dialog cannot be created or shown, returns
// kExecuteFailed with the reason in the thread's last-error code. While
// another call runs, on this thread or any other, returns kExecuteFailed with
// ERROR_BUSY at once.
uint32_t __stdcall ExecuteProc(uint32_t unused, HWND wnd) noexcept;

constexpr uint32_t kExecuteClosed = 0;
constexpr uint32_t kExecuteFailed = 0xFFFFFFFF;

}  // namespace plugin
