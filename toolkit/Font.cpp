#include "toolkit/Font.h"

#include <stdexcept>

namespace toolkit {
namespace {

int CALLBACK NoteFaceFound(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// A plain CreateFont never fails for a missing face: the mapper silently
// substitutes. Enumeration is the only way to ask whether the face exists.
bool FaceInstalled(HDC dc, const char* face) {
  LOGFONTA query{};
  query.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(query.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  ::EnumFontFamiliesExA(dc, &query, NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// Like the density, the installed faces are taken as fixed for the life of
// the process: each form would otherwise take screen DCs (server requests)
// and walk the fonts again.
int ScreenDpi() {
  static const int dpi = [] {
    shared::ScopedWindowDC screen(nullptr);
    return ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
  }();
  return dpi;
}

std::string LookUpFormFontFace() {
  shared::ScopedWindowDC screen(nullptr);
  for (const char* face : {"MS Sans Serif", "Microsoft Sans Serif", "Tahoma"}) {
    if (FaceInstalled(screen.Get(), face)) return face;
  }
  LOGFONTA stock{};
  ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock);
  return stock.lfFaceName;
}

}  // namespace

std::string FormFontFace() {
  static const std::string face = LookUpFormFontFace();
  return face;
}

shared::ScopedFont CreateFormFont() {
  // A negative height asks for the character height (cell minus internal
  // leading), which is how the design's 8 points at 96 dpi are meant.
  shared::ScopedFont font(::CreateFontA(-ScaledFontHeight(ScreenDpi()), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                        FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                        FormFontFace().c_str()));
  if (!font) throw std::runtime_error("Cannot create the form font");
  return font;
}

int FormFontLineHeight() {
  shared::ScopedFont font = CreateFormFont();
  shared::ScopedWindowDC screen(nullptr);
  shared::ScopedSelect select(screen.Get(), font.Get());
  TEXTMETRICA metrics{};
  if (!::GetTextMetricsA(screen.Get(), &metrics)) return kDesignLineHeight;
  // tmHeight alone: 13 for the design font at 96 dpi, whose external leading
  // is 0, as the line height the design was laid out with.
  return metrics.tmHeight;
}

const LayoutScale& ScreenLayoutScale() {
  static const LayoutScale scale = LayoutScaleFor(FormFontLineHeight());
  return scale;
}

}  // namespace toolkit
