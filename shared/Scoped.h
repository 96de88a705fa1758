// Owning wrappers for Win32 handles: one line per handle kind below, each
// closed by its own release function when the owner goes.
#pragma once

#include <windows.h>

#include <utility>

namespace shared {

template <typename H, auto Release>
class Scoped {
 public:
  Scoped() = default;
  explicit Scoped(H handle) : handle_(handle) {}
  Scoped(Scoped&& other) noexcept : handle_(std::exchange(other.handle_, H{})) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, H{}));
    return *this;
  }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
  ~Scoped() { Reset(); }

  H Get() const { return handle_; }
  explicit operator bool() const { return handle_ != H{}; }
  void Reset(H handle = H{}) {
    if (handle_ != H{}) Release(handle_);
    handle_ = handle;
  }

 private:
  H handle_{};
};

inline void DeleteGdiObject(HGDIOBJ object) { ::DeleteObject(object); }
inline void DestroyIconHandle(HICON icon) { ::DestroyIcon(icon); }
inline void ReleaseActCtxHandle(HANDLE context) { ::ReleaseActCtx(context); }
inline void CloseFindHandle(HANDLE find) { ::FindClose(find); }
inline void DeleteDCHandle(HDC dc) { ::DeleteDC(dc); }
inline void FreeLibraryHandle(HMODULE module) { ::FreeLibrary(module); }
inline void CloseKernelHandle(HANDLE handle) { ::CloseHandle(handle); }
inline void CloseRegistryKey(HKEY key) { ::RegCloseKey(key); }
inline void UnhookHook(HHOOK hook) { ::UnhookWindowsHookEx(hook); }

using ScopedFont = Scoped<HFONT, DeleteGdiObject>;
using ScopedIcon = Scoped<HICON, DestroyIconHandle>;
// Holds null, never INVALID_HANDLE_VALUE: the creator maps CreateActCtx's
// failure value to null before handing the handle over.
using ScopedActCtx = Scoped<HANDLE, ReleaseActCtxHandle>;
// A folder listing; likewise null, never INVALID_HANDLE_VALUE.
using ScopedFindHandle = Scoped<HANDLE, CloseFindHandle>;
// A DC of our own making (CreateCompatibleDC), not a window's.
using ScopedDC = Scoped<HDC, DeleteDCHandle>;
// A library loaded with LoadLibrary.
using ScopedModule = Scoped<HMODULE, FreeLibraryHandle>;
// A file, process, thread or event; null, never INVALID_HANDLE_VALUE: the
// creator maps that failure value to null before handing the handle over.
using ScopedHandle = Scoped<HANDLE, CloseKernelHandle>;
using ScopedKey = Scoped<HKEY, CloseRegistryKey>;
using ScopedHook = Scoped<HHOOK, UnhookHook>;

// A window's client DC, given back to that window.
class ScopedWindowDC {
 public:
  explicit ScopedWindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  ~ScopedWindowDC() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Puts the DC's previous object back: a DC must not be released, nor the
// selected object deleted, while our object is still selected into it.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  ~ScopedSelect() {
    if (previous_) ::SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace shared
