#include "toolkit/Scaling.h"

namespace toolkit {

int LayoutScale::Apply(int value) const {
  return IsIdentity() ? value : ::MulDiv(value, numerator, denominator);
}

int ScaledFontHeight(int screenDpi) {
  if (screenDpi <= 0 || screenDpi == kDesignDpi) return kDesignFontHeight;
  return ::MulDiv(kDesignFontHeight, screenDpi, kDesignDpi);
}

LayoutScale LayoutScaleFor(int lineHeight) {
  if (lineHeight <= 0 || lineHeight == kDesignLineHeight) return {};
  return {lineHeight, kDesignLineHeight};
}

RECT ScaleBounds(const LayoutScale& scale, int x, int y, int width, int height) {
  const int left = scale.Apply(x);
  const int top = scale.Apply(y);
  return {left, top, left + scale.Apply(width), top + scale.Apply(height)};
}

POINT CentredOrigin(SIZE screen, SIZE window) {
  return {(screen.cx - window.cx) / 2, (screen.cy - window.cy) / 2};
}

}  // namespace toolkit
