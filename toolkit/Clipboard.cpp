#include "toolkit/Clipboard.h"

#include <cstring>

namespace toolkit {
namespace {

// Global memory until the clipboard takes it over.
class ClipboardMemory {
 public:
  explicit ClipboardMemory(size_t bytes) : memory_(::GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
  ClipboardMemory(const ClipboardMemory&) = delete;
  ClipboardMemory& operator=(const ClipboardMemory&) = delete;
  ~ClipboardMemory() {
    if (memory_) ::GlobalFree(memory_);
  }
  HGLOBAL Get() const { return memory_; }
  void HandOver() { memory_ = nullptr; }

 private:
  HGLOBAL memory_;
};

class ScopedClipboard {
 public:
  explicit ScopedClipboard(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
  ScopedClipboard(const ScopedClipboard&) = delete;
  ScopedClipboard& operator=(const ScopedClipboard&) = delete;
  ~ScopedClipboard() {
    if (open_) ::CloseClipboard();
  }
  bool Open() const { return open_; }

 private:
  bool open_;
};

}  // namespace

bool PutClipboardText(HWND owner, const std::wstring& text) {
  // The memory first: once the clipboard is emptied, failing costs the user
  // what was on it.
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  ClipboardMemory memory(bytes);
  if (!memory.Get()) return false;
  void* data = ::GlobalLock(memory.Get());
  if (!data) return false;
  std::memcpy(data, text.c_str(), bytes);
  ::GlobalUnlock(memory.Get());

  ScopedClipboard clipboard(owner);
  if (!clipboard.Open() || !::EmptyClipboard()) return false;
  if (!::SetClipboardData(CF_UNICODETEXT, memory.Get())) return false;
  memory.HandOver();  // the system owns it now
  return true;
}

}  // namespace toolkit
