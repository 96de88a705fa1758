#include "plugin/PlugInEntries.h"

#include <new>
#include <system_error>

#include "dialog/SysDlg.h"
#include "plugin/PlugInRecords.h"
#include "plugin/PlugInTexts.h"
#include "plugin/SysInfoLauncher.h"

namespace plugin {

uint32_t __stdcall NoOpProc(uint32_t, HWND) noexcept { return 0; }

// A null window is accepted: the box then has no owner.
uint32_t __stdcall AboutProc(uint32_t, HWND wnd) noexcept {
  MessageBoxA(wnd, kAboutText, kAboutCaption, MB_OK | MB_ICONINFORMATION);
  return 0;
}

uint32_t __stdcall ExecuteProc(uint32_t, HWND wnd) noexcept {
  // One dialog at a time: the launcher keeps a single reference to it.
  if (dialog::SysInfoDlg) {
    SetLastError(ERROR_BUSY);
    return kExecuteFailed;
  }
  // No exception may reach the host: a failure becomes a result and an error code.
  DWORD error = ERROR_CAN_NOT_COMPLETE;
  try {
    return ShowSystemInfoDlg(wnd) ? kResultServed : kExecuteClosed;
  } catch (const std::bad_alloc&) {
    error = ERROR_NOT_ENOUGH_MEMORY;
  } catch (const std::system_error& e) {
    if (e.code().category() == std::system_category() && e.code().value() != 0) {
      error = static_cast<DWORD>(e.code().value());
    }
  } catch (...) {
  }
  SetLastError(error);
  return kExecuteFailed;
}

}  // namespace plugin
