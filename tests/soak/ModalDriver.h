// Closes the dialog an entry shows, from inside the entry's own modal loop:
// a thread timer ticks while that loop dispatches, finds the dialog as the
// thread's new visible top-level window and closes it as a user would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "dialog/SysDlgControls.h"

namespace soak {

enum class CloseBy { OkButton, CloseBox };

// The dialog's OK button.
constexpr int kOkButtonId = dialog::id_OKBtn;

struct DriveResult {
  bool found = false;       // the dialog appeared
  bool closeSent = false;   // a click or close command went to it
  bool okMissing = false;   // no OK button under it; the close box was used
  int closeRetries = 0;     // closes sent again to a dialog still up a second later
  int errorBoxes = 0;       // message boxes met (and dismissed) instead of the dialog
  std::string actionError;  // what the action threw, if it did
};

class ModalDriver {
 public:
  // `action` runs once on the dialog before it is closed; it may itself
  // dispatch messages (ticks meanwhile do nothing).
  explicit ModalDriver(CloseBy how, std::function<void(HWND dialog)> action = {});
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;
  ~ModalDriver();

  const DriveResult& Result() const { return result_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) noexcept;
  void Step();
  void Close();
  void DismissMessageBoxes();
  void NoteError(const char* text) noexcept;

  static inline ModalDriver* current_ = nullptr;
  CloseBy how_;
  std::function<void(HWND)> action_;
  std::vector<HWND> before_;
  std::vector<HWND> dismissed_;
  HWND dialog_ = nullptr;
  int ticksSinceClose_ = 0;
  bool busy_ = false;
  UINT_PTR timer_ = 0;
  DriveResult result_;
};

}  // namespace soak
