#include "toolkit/Application.h"

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
  if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) text += '.';
  return text;
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
  std::string name(buffer, length < sizeof buffer ? length : 0);
  name.erase(0, name.find_last_of("\\/") + 1);
  if (const size_t dot = name.find('.'); dot != std::string::npos) name.erase(dot);
  return name;
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
