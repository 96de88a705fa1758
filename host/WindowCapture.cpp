#include "host/WindowCapture.h"

// GDI+ needs the property types that the lean Windows headers leave out.
#include <objidl.h>

#include <gdiplus.h>

#include <cwchar>
#include <vector>

#include "shared/Scoped.h"

namespace host {

namespace {

void DisposeImage(Gdiplus::GpBitmap* image) { Gdiplus::DllExports::GdipDisposeImage(image); }

using Bitmap = shared::Scoped<HBITMAP, shared::DeleteGdiObject>;
using GpImage = shared::Scoped<Gdiplus::GpBitmap*, DisposeImage>;

class GdiplusSession {
 public:
  GdiplusSession() {
    const Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  ~GdiplusSession() {
    if (token_) Gdiplus::GdiplusShutdown(token_);
  }
  bool Started() const { return token_ != 0; }

 private:
  ULONG_PTR token_ = 0;
};

bool FindPngEncoder(CLSID* clsid) {
  UINT count = 0;
  UINT bytes = 0;
  if (Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
    return false;
  // The codec records are followed by the strings they point to, all in one
  // block of `bytes`.
  std::vector<unsigned char> block(bytes);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(block.data());
  if (Gdiplus::DllExports::GdipGetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
      *clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

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

  GdiplusSession gdiplus;
  if (!gdiplus.Started()) {
    *error = "GDI+ did not start";
    return false;
  }
  CLSID png;
  if (!FindPngEncoder(&png)) {
    *error = "GDI+ has no PNG encoder";
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
      Gdiplus::DllExports::GdipSaveImageToFile(image.Get(), path.c_str(), &png, nullptr);
  if (saved != Gdiplus::Ok) {
    *error = StatusText("GdipSaveImageToFile", saved);
    return false;
  }
  return true;
}

}  // namespace host
