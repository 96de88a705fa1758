// The plug-in's entries, reached by the host through PlugInFuncProc. Each
// takes a value none of them uses and the window that is to own what it shows.
#pragma once

#include <windows.h>

#include <cstdint>

namespace plugin {

uint32_t __stdcall NoOpProc(uint32_t unused, HWND wnd) noexcept;
uint32_t __stdcall AboutProc(uint32_t unused, HWND wnd) noexcept;

}  // namespace plugin
