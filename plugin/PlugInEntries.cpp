#include "plugin/PlugInEntries.h"

#include "plugin/PlugInTexts.h"

namespace plugin {

uint32_t __stdcall NoOpProc(uint32_t, HWND) noexcept { return 0; }

// A null window is accepted: the box then has no owner.
uint32_t __stdcall AboutProc(uint32_t, HWND wnd) noexcept {
  MessageBoxA(wnd, kAboutText, kAboutCaption, MB_OK | MB_ICONINFORMATION);
  return 0;
}

}  // namespace plugin
