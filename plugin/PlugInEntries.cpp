#include "plugin/PlugInEntries.h"

#include <atomic>
#include <new>
#include <system_error>

#include "plugin/PlugInTexts.h"
#include "plugin/SysInfoLauncher.h"
#include "toolkit/Application.h"
#include "toolkit/HostBand.h"

namespace plugin {
namespace {

// One Execute call at a time, taken in one atomic step: a second call, nested
// in the dialog's loop or made from another thread at the same moment, is
// refused before it touches anything the running call uses (the application
// window handle, the window classes, the dialog reference).
std::atomic<bool> g_executeTaken{false};

class ExecuteTurn {
 public:
  ExecuteTurn() : won_(!g_executeTaken.exchange(true, std::memory_order_acquire)) {}
  ~ExecuteTurn() {
    if (won_) g_executeTaken.store(false, std::memory_order_release);
  }
  ExecuteTurn(const ExecuteTurn&) = delete;
  ExecuteTurn& operator=(const ExecuteTurn&) = delete;
  bool Won() const { return won_; }

 private:
  bool won_;
};

}  // namespace

uint32_t __stdcall NoOpProc(uint32_t, HWND) noexcept { return 0; }

// A null window is accepted: the box then has no owner. So is a window of
// another thread, which the box does not take as its owner (see
// OwnerOnThisThread) but still comes up over (see TBoxOverHost).
uint32_t __stdcall AboutProc(uint32_t, HWND wnd) noexcept {
  const toolkit::TBoxOverHost over(wnd);
  MessageBoxA(toolkit::OwnerOnThisThread(wnd), kAboutText, kAboutCaption,
              MB_OK | MB_ICONINFORMATION | over.Style());
  return 0;
}

uint32_t __stdcall ExecuteProc(uint32_t, HWND wnd) noexcept {
  // First, before anything else of the call: one dialog at a time.
  const ExecuteTurn turn;
  if (!turn.Won()) {
    SetLastError(ERROR_BUSY);
    return kExecuteFailed;
  }
  // No exception may reach the host: a failure becomes a result and an error code.
  DWORD error = ERROR_CAN_NOT_COMPLETE;
  try {
    ShowSystemInfoDlg(wnd);
    return kExecuteClosed;
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
