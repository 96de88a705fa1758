#include "toolkit/Application.h"

#include "shared/AnsiChars.h"
#include "toolkit/Form.h"
#include "toolkit/Text.h"

namespace toolkit {

TApplication* Application = nullptr;

void CreateApplication() {
  if (!Application) Application = new TApplication;
}

void DestroyApplication() {
  delete Application;
  Application = nullptr;
}

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  // The last character, not the last byte: in a double-byte code page that
  // may be the second byte of a character.
  const size_t last = shared::LastCharStart(text);
  if (last != std::string::npos && static_cast<unsigned char>(text[last]) > static_cast<unsigned char>('.')) {
    text += '.';
  }
  return text;
}

std::string ProgramTitle(std::string_view path) {
  const size_t separator = shared::FindLastChar(path, "\\/");
  const std::string_view name = path.substr(separator == std::string_view::npos ? 0 : separator + 1);
  return std::string(name.substr(0, shared::FindFirstChar(name, ".")));
}

bool IsWindowOfThisThread(HWND window) {
  return window && ::IsWindow(window) &&
         ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId();
}

HWND OwnerOnThisThread(HWND owner) {
  if (!owner || !::IsWindow(owner)) return owner;
  return IsWindowOfThisThread(owner) ? owner : nullptr;
}

std::string TApplication::Title() const {
  if (handle_) return StoredWindowTextA(handle_);
  char buffer[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return ProgramTitle(std::string_view(buffer, length < sizeof buffer ? length : 0));
}

void TApplication::SetCursor(HCURSOR cursor) {
  cursor_ = cursor;
  if (cursor_) {
    ::SetCursor(cursor_);
    return;
  }
  // Moving the pointer onto its own position makes the window under it answer
  // WM_SETCURSOR again, so it shows its own cursor at once.
  POINT position;
  if (::GetCursorPos(&position)) ::SetCursorPos(position.x, position.y);
}

void TApplication::SetBusyCursor() { SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT))); }

void TApplication::RouteMessage(MSG& message) {
  if (keyFilter_ && keyFilter_(message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

void TApplication::ProcessMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    RouteMessage(message);
  }
}

void TApplication::ShowError(HWND owner, const char* message) noexcept {
  HWND boxOwner = OwnerOnThisThread(owner);
  if (owner && !boxOwner && activeForm_) boxOwner = activeForm_->Handle();
  try {
    ::MessageBoxA(boxOwner, ErrorBoxText(message ? message : "").c_str(), Title().c_str(),
                  MB_OK | MB_ICONSTOP);
  } catch (...) {
    // Out of memory for the text: show the bare message rather than nothing.
    ::MessageBoxA(boxOwner, message, nullptr, MB_OK | MB_ICONSTOP);
  }
}

TBusyCursor::TBusyCursor() {
  Application->SetBusyCursor();
  ++open_;
}

TBusyCursor::~TBusyCursor() {
  if (--open_ > 0) {
    Application->SetBusyCursor();
  } else {
    Application->RestoreCursor();
  }
}

}  // namespace toolkit
