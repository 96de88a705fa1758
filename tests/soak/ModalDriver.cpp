#include "tests/soak/ModalDriver.h"

#include "host/WindowRead.h"

#include <algorithm>
#include <exception>

namespace soak {

namespace {

// The shortest period the system keeps; each cycle waits for at least one.
constexpr UINT kTickMs = USER_TIMER_MINIMUM;
// A close that has not taken effect after this many ticks is sent again.
constexpr int kRetryTicks = 100;

bool IsMessageBox(HWND window) { return host::IsClass(window, L"#32770"); }

}  // namespace

ModalDriver::ModalDriver(CloseBy how, std::function<void(HWND dialog)> action)
    : how_(how), action_(std::move(action)), before_(host::ThreadWindows(::GetCurrentThreadId())) {
  current_ = this;
  timer_ = ::SetTimer(nullptr, 0, kTickMs, Tick);
}

ModalDriver::~ModalDriver() {
  ::KillTimer(nullptr, timer_);
  current_ = nullptr;
}

void CALLBACK ModalDriver::Tick(HWND, UINT, UINT_PTR, DWORD) noexcept {
  ModalDriver* driver = current_;
  if (!driver) return;
  try {
    // A message box, even one raised inside the action, would otherwise hold
    // the cycle forever.
    driver->DismissMessageBoxes();
    if (driver->busy_) return;
    driver->busy_ = true;
    struct BusyReset {
      bool& busy;
      ~BusyReset() { busy = false; }
    } reset{driver->busy_};
    driver->Step();
  } catch (const std::exception& error) {
    driver->NoteError(error.what());
  } catch (...) {
    driver->NoteError("unknown exception");
  }
}

void ModalDriver::NoteError(const char* text) noexcept {
  try {
    result_.actionError = text;
  } catch (...) {
    // No memory for the text: the failure still shows as a non-empty field.
    result_.actionError.clear();
    result_.actionError.push_back('?');
  }
}

void ModalDriver::DismissMessageBoxes() {
  for (HWND window : host::ThreadWindows(::GetCurrentThreadId())) {
    if (!::IsWindowVisible(window) || !IsMessageBox(window)) continue;
    if (std::find(dismissed_.begin(), dismissed_.end(), window) != dismissed_.end()) continue;
    dismissed_.push_back(window);
    ++result_.errorBoxes;
    ::PostMessageW(window, WM_COMMAND, IDOK, 0);
  }
}

void ModalDriver::Step() {
  if (dialog_) {
    // Closed already: the entry is on its way out of the loop.
    if (!::IsWindow(dialog_) || !::IsWindowVisible(dialog_)) return;
    if (++ticksSinceClose_ >= kRetryTicks) {
      ++result_.closeRetries;
      Close();
    }
    return;
  }
  HWND window = host::NewWindowOf(::GetCurrentThreadId(), before_);
  if (!window) return;
  dialog_ = window;
  result_.found = true;
  if (action_) {
    try {
      action_(window);
    } catch (const std::exception& error) {
      NoteError(error.what());
    } catch (...) {
      NoteError("unknown exception");
    }
  }
  Close();
}

void ModalDriver::Close() {
  ticksSinceClose_ = 0;
  result_.closeSent = true;
  if (how_ == CloseBy::OkButton) {
    if (const HWND ok = host::FindById(dialog_, kOkButtonId)) {
      ::PostMessageW(ok, BM_CLICK, 0, 0);
      return;
    }
    result_.okMissing = true;
  }
  ::PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
}

}  // namespace soak
