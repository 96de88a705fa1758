#include "host/WindowCapture.h"

// GDI+ needs the property types that the lean Windows headers leave out.
#include <objidl.h>

#include <gdiplus.h>

#include "shared/Scoped.h"

namespace host {

namespace {

void DisposeImage(Gdiplus::GpBitmap* image) { Gdiplus::DllExports::GdipDisposeImage(image); }

using Bitmap = shared::Scoped<HBITMAP, shared::DeleteGdiObject>;
using GpImage = shared::Scoped<Gdiplus::GpBitmap*, DisposeImage>;
using GdiplusSession = shared::Scoped<ULONG_PTR, Gdiplus::GdiplusShutdown>;

// The built-in PNG encoder's class: GDI+ has always registered it under this
// one ID.
constexpr CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

std::string StatusText(const char* what, int status) {
  return std::string(what) + " failed (status " + std::to_string(status) + ")";
}

}  // namespace

bool SaveWindowPng(HWND window, const std::wstring& path, std::string* error) {
  RECT rect;
  if (!GetWindowRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) {
    *error = "the window has no area on the screen";
    return false;
  }
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;

  const shared::ScopedWindowDC screen(nullptr);
  if (!screen.Get()) {
    *error = "cannot get the screen's device context";
    return false;
  }
  const shared::ScopedDC memory(CreateCompatibleDC(screen.Get()));
  const Bitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
  if (!memory.Get() || !bitmap.Get()) {
    *error = "cannot create a bitmap of " + std::to_string(width) + "x" + std::to_string(height);
    return false;
  }
  {
    // GDI+ reads the bitmap only once it is out of every DC.
    const shared::ScopedSelect selected(memory.Get(), bitmap.Get());
    if (!BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY)) {
      *error = "copying from the screen failed (error " + std::to_string(GetLastError()) + ")";
      return false;
    }
  }

  const Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  const GdiplusSession gdiplus(Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok ? token : 0);
  if (!gdiplus) {
    *error = "GDI+ did not start";
    return false;
  }
  Gdiplus::GpBitmap* created = nullptr;
  const Gdiplus::GpStatus made =
      Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap.Get(), nullptr, &created);
  const GpImage image(created);
  if (made != Gdiplus::Ok || !image.Get()) {
    *error = StatusText("GdipCreateBitmapFromHBITMAP", made);
    return false;
  }
  const Gdiplus::GpStatus saved =
      Gdiplus::DllExports::GdipSaveImageToFile(image.Get(), path.c_str(), &kPngEncoder, nullptr);
  if (saved != Gdiplus::Ok) {
    *error = StatusText("GdipSaveImageToFile", saved);
    return false;
  }
  return true;
}

}  // namespace host
