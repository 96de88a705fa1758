#include "toolkit/Text.h"

#include <cstring>
#include <iterator>
#include <vector>

namespace toolkit {

std::wstring Widen(const char* text, TextEncoding encoding) {
  if (!text || !*text) return {};
  const UINT codePage = encoding == TextEncoding::Utf8 ? CP_UTF8 : CP_ACP;
  // One pass: in either encoding a byte gives at most one UTF-16 unit.
  const int bytes = static_cast<int>(std::strlen(text));
  std::wstring wide(static_cast<size_t>(bytes), L'\0');
  const int length = ::MultiByteToWideChar(codePage, 0, text, bytes, wide.data(), bytes);
  wide.resize(static_cast<size_t>(length > 0 ? length : 0));
  return wide;
}

std::string NarrowToAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  const int length = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string narrow(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow.data(), length, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(length - 1));
  return narrow;
}

void SetText(HWND window, const char* text, TextEncoding encoding) {
  if (encoding == TextEncoding::Ansi) {
    ::SetWindowTextA(window, text ? text : "");
  } else {
    ::SetWindowTextW(window, Widen(text, encoding).c_str());
  }
}

std::wstring WindowTextW(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  const int copied = ::GetWindowTextW(window, buffer.data(), length + 1);
  return std::wstring(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

bool ShowsText(HWND window, const std::wstring& text) {
  // Room for one character more: a longer text reads back longer, so it
  // cannot compare equal. Label texts fit the buffer on the stack.
  wchar_t small[128];
  std::vector<wchar_t> large;
  const size_t room = text.size() + 2;
  wchar_t* shown = small;
  if (room > std::size(small)) {
    large.resize(room);
    shown = large.data();
  }
  const int copied = ::GetWindowTextW(window, shown, static_cast<int>(room));
  return copied == static_cast<int>(text.size()) && text.compare(0, text.size(), shown, text.size()) == 0;
}

std::string StoredWindowTextA(HWND window) {
  wchar_t buffer[MAX_PATH] = {};
  const int copied = ::InternalGetWindowText(window, buffer, MAX_PATH);
  return NarrowToAnsi(std::wstring(buffer, static_cast<size_t>(copied > 0 ? copied : 0)));
}

}  // namespace toolkit
