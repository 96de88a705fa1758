#include "toolkit/Scaling.h"

#include <algorithm>
#include <cstdlib>

namespace toolkit {
namespace {

// Along one axis: `start` moved the least distance that puts `length` inside
// [low, high), or to `low` where it cannot fit.
int KeptInside(int start, int length, int low, int high) {
  return std::max(low, std::min(start, high - length));
}

}  // namespace

int ScaleFactor::Apply(int value) const {
  return IsIdentity() ? value : ::MulDiv(value, numerator, denominator);
}

int ScaledFontHeight(int screenDpi) {
  if (screenDpi <= 0 || screenDpi == kDesignDpi) return kDesignFontHeight;
  return ::MulDiv(kDesignFontHeight, screenDpi, kDesignDpi);
}

bool IsScaledFontHeight(int characterHeight, int screenDpi) {
  if (screenDpi <= 0) screenDpi = kDesignDpi;
  // |height - 11 * dpi / 96| < 1, kept in integers.
  return std::abs(characterHeight * kDesignDpi - kDesignFontHeight * screenDpi) < kDesignDpi;
}

LayoutScale LayoutScaleFor(int lineHeight, std::span<const TextGrowth> texts) {
  LayoutScale scale;
  if (lineHeight > 0 && lineHeight != kDesignLineHeight) scale.y = {lineHeight, kDesignLineHeight};
  bool measured = false;
  for (const TextGrowth& text : texts) {
    if (text.measured <= 0 || text.design <= 0) continue;
    // measured / design > numerator / denominator, without division.
    if (!measured || static_cast<long long>(text.measured) * scale.x.denominator >
                         static_cast<long long>(scale.x.numerator) * text.design) {
      scale.x = {text.measured, text.design};
      measured = true;
    }
  }
  // Without a text measured, horizontally like vertically.
  if (!measured) scale.x = scale.y;
  return scale;
}

RECT ScaleBounds(const LayoutScale& scale, int x, int y, int width, int height) {
  const int left = scale.x.Apply(x);
  const int top = scale.y.Apply(y);
  return {left, top, left + scale.x.Apply(width), top + scale.y.Apply(height)};
}

POINT CentredOrigin(SIZE screen, SIZE window) {
  return {(screen.cx - window.cx) / 2, (screen.cy - window.cy) / 2};
}

RECT FormPlacement(const RECT& screen, const RECT& work, SIZE window) {
  const POINT centred = CentredOrigin({screen.right - screen.left, screen.bottom - screen.top}, window);
  const int left = KeptInside(screen.left + centred.x, window.cx, work.left, work.right);
  const int top = KeptInside(screen.top + centred.y, window.cy, work.top, work.bottom);
  return {left, top, left + window.cx, top + window.cy};
}

}  // namespace toolkit
